#include "ui/page_painter_win.h"

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "ui/bitmap_file.h"
#include "ui/gdi_objects_win.h"
#include "ui/group_frame_win.h"
#include "ui/page_layout.h"
#include "ui/text_draw_win.h"

namespace ui {

namespace {

// SaveDC on construction, RestoreDC on destruction: whatever the paint selects or
// sets is undone, so a context can be painted into again.
class SavedDcState {
 public:
  explicit SavedDcState(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  ~SavedDcState() {
    if (saved_ != 0) RestoreDC(dc_, saved_);
  }
  SavedDcState(const SavedDcState&) = delete;
  SavedDcState& operator=(const SavedDcState&) = delete;

 private:
  HDC dc_;
  int saved_;
};

int Length(const char* text) {
  const size_t length = std::strlen(text);
  return length > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(length);
}

void TextAt(HDC dc, int x, int y, const char* text) {
  if (text != nullptr) TextOutA(dc, x, y, text, Length(text));
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
  Brush brush(CreateSolidBrush(colour));
  if (brush) FillRect(dc, &rect, brush.Get());
}

// Loaded from its file as a DIB section at its natural size; empty when the file
// is missing or unreadable.
// The file's headers and size; false when it cannot be read.
bool ReadBitmapHead(const std::string& path, unsigned char (&head)[kBitmapHeadBytes], size_t* got,
                    unsigned long long* size) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD high = 0;
  const DWORD low = GetFileSize(file, &high);
  DWORD read = 0;
  const bool ok = low != INVALID_FILE_SIZE && ReadFile(file, head, sizeof head, &read, nullptr);
  CloseHandle(file);
  *got = read;
  *size = (static_cast<unsigned long long>(high) << 32) | low;
  return ok;
}

Bitmap LoadPicture(const PageState& state) {
  const std::string path = state.imageFolder + PageImageName(state.page);
  unsigned char head[kBitmapHeadBytes] = {};
  size_t got = 0;
  unsigned long long size = 0;
  // A picture the file does not hold whole is not loaded at all (see bitmap_file.h).
  if (!ReadBitmapHead(path, head, &got, &size) || !BitmapFileIsWhole(head, got, size)) return Bitmap();
  return Bitmap(static_cast<HBITMAP>(
      LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
}

// Copies width x height pixels from the bitmap's origin to (x, y).
void CopyPicture(HDC dc, const Bitmap& picture, int x, int y, int width, int height) {
  MemoryDc memory(dc);
  if (!memory) return;
  SelectedObject selected(memory.Get(), picture.Get());
  if (!selected) return;
  BitBlt(dc, x, y, width, height, memory.Get(), 0, 0, SRCCOPY);
}

SIZE PictureSize(const Bitmap& picture) {
  BITMAP info = {};
  if (GetObjectA(picture.Get(), sizeof info, &info) != static_cast<int>(sizeof info)) return SIZE{0, 0};
  return SIZE{info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
}

const char* SectionOf(const PageState& state) {
  const int index = PageSectionIndex(state.page);
  if (state.config == nullptr || index < 0) return nullptr;
  return state.config->sections[index];
}

void DrawBlock(HDC dc, const PageState& state, int width, HFONT title, HFONT body) {
  PageTextBlock block;
  if (!PageTextBlockFor(state.page, state.languageFlag, width, &block)) return;
  const char* text = ChooseBlockText(state.page, state.languageFlag, SectionOf(state));
  DrawTextBlock(dc, text, block.widthLimit, block.layout, block.titleFontFirstLine ? title : body, body);
}

void DrawPrompt(HDC dc, const PageState& state, int width, HFONT body) {
  RECT anchor;
  if (!state.controlRect || !state.controlRect(kPromptAnchorControl, &anchor)) return;
  const TextBlockLayout layout{anchor.left, kPromptY, kPromptLineStep, kPromptLineStep};
  DrawTextBlock(dc, PagePrompt(state.page, state.languageFlag), PromptWidthLimit(width, anchor.left), layout, body,
                body);
}

void DrawSettingsPage(HDC dc, const PageState& state, int width, HFONT body) {
  {
    SelectedObject font(dc, body);
    for (const FieldLabel& label : kFieldLabels) {
      RECT anchor;
      if (!state.controlRect || !state.controlRect(label.controlId, &anchor)) continue;
      const char* text = ByLanguage(state.languageFlag, label.chinese, label.english);
      SIZE extent = {0, 0};
      if (!GetTextExtentPoint32A(dc, text, Length(text), &extent)) extent = SIZE{0, 0};
      TextAt(dc, LabelLeft(anchor.right, extent.cx), anchor.top, text);
    }
  }
  for (size_t k = 0; k < kSettingsFrameCount; ++k) {
    const CaptionedFrame frame = SettingsFrame(k, state.languageFlag, width);
    DrawGroupFrame(dc, frame.frame, frame.caption, body);
  }
}

}  // namespace

void PaintPage(HDC dc, const RECT& client, const PageState& state) {
  if (dc == nullptr) return;
  SavedDcState saved(dc);
  const int width = client.right - client.left;
  const RECT all = {0, 0, width, client.bottom - client.top};

  if (!IsValidPage(state.page)) {
    FillSolid(dc, all, kBannerColour);
    return;
  }

  // Declared before every selection that uses them, so they are deselected first.
  Font title = MakePlainFont(kTitleFont.height, kTitleFont.weight, kPageFontFace);
  Font body = MakePlainFont(kBodyFont.height, kBodyFont.weight, kPageFontFace);
  Font heading = MakePlainFont(kHeadingFont.height, kHeadingFont.weight, kPageFontFace);
  Pen separator = MakeSolidPen(1, kSeparatorColour);
  Bitmap picture = LoadPicture(state);

  if (state.page != 0) {
    FillSolid(dc, all, kPageBackgroundColour);
    const RECT banner = {0, 0, width, kBannerHeight};
    FillSolid(dc, banner, kBannerColour);
    if (picture) CopyPicture(dc, picture, LogoLeft(width), 0, kLogoWidth, kLogoHeight);
    picture.Reset();
    {
      SelectedObject pen(dc, separator.Get());
      MoveToEx(dc, 0, kBannerHeight, nullptr);
      LineTo(dc, width, kBannerHeight);
    }
    {
      // Still the default opaque mode with its white background: on the white
      // banner that looks the same as transparent.
      SelectedObject font(dc, heading.Get());
      TextAt(dc, kHeadingX, kHeadingY, PageHeading(state.page, state.languageFlag));
    }
  }

  SetBkMode(dc, TRANSPARENT);

  switch (state.page) {
    case 0: {
      // Painted again after a later page (Back) the panel is invalidated without
      // erasing: the white comes from here, not from the class brush.
      FillSolid(dc, all, kBannerColour);
      if (picture) {
        const SIZE size = PictureSize(picture);
        CopyPicture(dc, picture, 0, 0, size.cx, size.cy);
        picture.Reset();
      }
      DrawBlock(dc, state, width, title.Get(), body.Get());
      break;
    }
    case 1:
    case 2:
    case 6:
      DrawPrompt(dc, state, width, body.Get());
      break;
    case 3:
      DrawBlock(dc, state, width, title.Get(), body.Get());
      DrawGroupFrame(dc, kTargetFolderFrame, TargetFolderCaption(state.languageFlag), body.Get());
      break;
    case 4: {
      DrawBlock(dc, state, width, title.Get(), body.Get());
      SelectedObject font(dc, body.Get());
      TextAt(dc, kStatusX, kStatusY, state.statusText != nullptr ? state.statusText : "");
      break;
    }
    case 5:
      DrawSettingsPage(dc, state, width, body.Get());
      break;
    default: {  // 7 and 8
      DrawBlock(dc, state, width, title.Get(), body.Get());
      // A note on the outcome (a restart finishes it, the changes were undone)
      // between the result line and the closing line.
      if (state.statusText != nullptr && state.statusText[0] != '\0') {
        SelectedObject font(dc, body.Get());
        TextAt(dc, kStatusX, kResultNoteY, state.statusText);
      }
      break;
    }
  }
}

size_t PromptLineCount(int page, int languageFlag, int clientWidth, int x) {
  const char* prompt = PagePrompt(page, languageFlag);
  if (prompt == nullptr) return 0;
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return 1;
  std::vector<std::string> lines;
  {
    Font body = MakePlainFont(kBodyFont.height, kBodyFont.weight, kPageFontFace);
    SelectedObject font(screen, body.Get());
    BreakTextAtWords(DcTextMeasure(screen), prompt, &lines, PromptWidthLimit(clientWidth, x));
  }
  ReleaseDC(nullptr, screen);
  return lines.size();
}

bool ControlRectIn(HWND dialog, int controlId, HWND window, RECT* rect) {
  if (dialog == nullptr || rect == nullptr) return false;
  HWND control = GetDlgItem(dialog, controlId);
  if (control == nullptr || !GetWindowRect(control, rect)) return false;
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(rect), 2);
  return true;
}

}  // namespace ui
