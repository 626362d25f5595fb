// What each wizard page shows, as data: headings, built-in texts, prompts, field
// labels, frames, text-block geometry, the picture it loads, and the default
// destination folder. Pure functions and tables only, so the choices are tested
// natively; the painter (page_painter_win) turns them into GDI calls.
#pragma once

#include <cstddef>
#include <cstdint>

#include "resources/resource_ids.h"
#include "ui/text_layout.h"

namespace ui {

// WizardPage numbers: 0 welcome, 1 licence, 2 prepare installation, 3 destination
// folder, 4 installing, 5 printer settings, 6 installing printer, 7 setup complete,
// 8 installing fail.
constexpr int kFirstPage = 0;
constexpr int kLastPage = 8;
inline bool IsValidPage(int page) { return page >= kFirstPage && page <= kLastPage; }

// Colours as 0x00BBGGRR values (a Windows COLORREF).
constexpr uint32_t kPageBackgroundColour = 0x00D8E9EC;  // RGB(236,233,216), pages 1-8
constexpr uint32_t kBannerColour = 0x00FFFFFF;          // RGB(255,255,255)
constexpr uint32_t kSeparatorColour = 0x0099A8AC;       // RGB(172,168,153)
constexpr uint32_t kFramedEditEnabledColour = 0x00BB9D7F;   // RGB(127,157,187)
constexpr uint32_t kFramedEditDisabledColour = 0x00C0C0C0;  // RGB(192,192,192)

// The banner across the top of pages 1-8: white down to the separator line at
// y = kBannerHeight; the logo's 140 x 54 pixels sit 154 pixels left of the right
// edge; the heading at (15, 10).
constexpr int kBannerHeight = 54;
constexpr int kLogoWidth = 140;
constexpr int kLogoHeight = 54;
constexpr int kLogoRightInset = 154;
constexpr int kHeadingX = 15;
constexpr int kHeadingY = 10;
inline int LogoLeft(int clientWidth) { return clientWidth - kLogoRightInset; }

// Page 0's side artwork is copied at its own size to the panel's origin; the
// welcome text starts at x = 180 (192 in Chinese), and the page is laid out for a
// picture of 169 x 295 pixels.
constexpr int kSideArtWidth = 169;
constexpr int kSideArtHeight = 295;

// Fonts of a paint: cell height in pixels, weight. All use kPageFontFace.
extern const char kPageFontFace[];
struct PageFont {
  int height;
  int weight;
};
constexpr PageFont kTitleFont = {20, 800};
constexpr PageFont kBodyFont = {15, 400};
constexpr PageFont kHeadingFont = {15, 800};

// Language: nonzero picks the Chinese text, 0 the English one.
inline const char* ByLanguage(int languageFlag, const char* chinese, const char* english) {
  return languageFlag != 0 ? chinese : english;
}

// The heading painted in the banner; null for page 0 (no banner) and for numbers
// outside 0..8.
const char* PageHeading(int page, int languageFlag);

// The one-line prompt of pages 1, 2 and 6, drawn at (left of control 1035, 58);
// null on every other page.
constexpr int kPromptAnchorControl = IDC_LICENSE_ACCEPT;
constexpr int kPromptY = 58;
const char* PagePrompt(int page, int languageFlag);

// A prompt wider than the panel is broken between words into lines (16 pixels
// apart) that end 10 pixels short of its right edge, in whatever font the platform
// gives the page's face; the licence view then starts below the last line: 80 for a one-line
// prompt, 16 lower for every further line.
constexpr int kPromptLineStep = 16;
constexpr int kPromptRightMargin = 10;
inline int PromptWidthLimit(int clientWidth, int x) { return clientWidth - kPromptRightMargin - x; }
inline int LicenceViewTop(size_t promptLines) {
  return kPromptY + kPromptLineStep * static_cast<int>(promptLines > 1 ? promptLines : 1) + 6;
}

// Which of the six install-configuration sections feeds the text block of a page
// (0 welcome, 1 destination folder, 2 installing, 3 success, 5 failure); -1 for a
// page without a text block.
int PageSectionIndex(int page);

// The built-in text of a page's text block, drawn when its section is empty; null
// for a page without a text block. Pages 3 and 4 share one text.
const char* PageBuiltInText(int page, int languageFlag);

// The text a page's block draws: the section when its first byte is not NUL, else
// the built-in text. Null (or a null section) counts as empty.
const char* ChooseBlockText(int page, int languageFlag, const char* section);

// How a page's text block is broken and placed.
// Each line is broken in the font it is drawn in.
struct PageTextBlock {
  int widthLimit = 0;          // pixels from the line's x
  TextBlockLayout layout;      // x, first top and the steps
  bool titleFontFirstLine = false;  // first line in the Title font (else the Body font)
};

// False for pages 1, 2, 5, 6 and numbers outside 0..8.
bool PageTextBlockFor(int page, int languageFlag, int clientWidth, PageTextBlock* block);

// Page 4's status line.
constexpr int kStatusX = 28;
constexpr int kStatusY = 160;
// Pages 7 and 8: a note on the outcome, below the result line.
constexpr int kResultNoteY = 122;

// Page 3's "Target folder" frame, around the destination-folder field.
constexpr FrameRect kTargetFolderFrame = {26, 168, 453, 218};
const char* TargetFolderCaption(int languageFlag);

// Page 5's three frames, each as wide as the client area less 5 pixels each side.
constexpr size_t kSettingsFrameCount = 3;
struct CaptionedFrame {
  FrameRect frame;
  const char* caption;
};
CaptionedFrame SettingsFrame(size_t index, int languageFlag, int clientWidth);

// Page 5's field labels: each is right-aligned to the right edge of a hidden
// static control of the wizard dialog and shares its top edge.
constexpr size_t kFieldLabelCount = 8;
struct FieldLabel {
  int controlId;
  const char* chinese;
  const char* english;
};
extern const FieldLabel kFieldLabels[kFieldLabelCount];
// Left edge of a label labelWidth pixels wide that ends at controlRight.
inline int LabelLeft(int controlRight, int labelWidth) { return controlRight - labelWidth; }

// The picture a page loads from the temporary folder: the side artwork on page 0,
// the logo on every other page.
const char* PageImageName(int page);

// Where the wizard lays out the destination folder field: (38, 182)-(362, 204)
// of the panel.
constexpr int kFolderEditLeft = 38;
constexpr int kFolderEditTop = 182;
constexpr int kFolderEditRight = 362;
constexpr int kFolderEditBottom = 204;

// The default destination folder: programFiles (the program files directory with
// its one trailing backslash) followed by the printer name, or "USB Printer" when
// the name is empty or null. Written NUL-terminated into out (outSize bytes, at
// least 1). When the result does not fit, it is cut at a character boundary (a
// double-byte character is never halved) and false is returned.
constexpr size_t kFolderBufferSize = 256;
bool ComposeDefaultFolder(const char* programFiles, const char* printerName, char* out, size_t outSize);

// The panel's client size inside the wizard dialog: 2 pixels short of the
// dialog's client width and 50 short of its height (the button strip). Never
// negative.
constexpr int kPanelRightMargin = 2;
constexpr int kPanelBottomMargin = 50;
inline int PanelWidth(int dialogClientWidth) {
  return dialogClientWidth > kPanelRightMargin ? dialogClientWidth - kPanelRightMargin : 0;
}
inline int PanelHeight(int dialogClientHeight) {
  return dialogClientHeight > kPanelBottomMargin ? dialogClientHeight - kPanelBottomMargin : 0;
}

}  // namespace ui
