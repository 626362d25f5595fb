// The wizard's page logic as data: which texts each page's buttons carry, which
// controls Next and Back show, hide, enable or disable, when Escape and the close
// box may end the run, and the decisions of the destination-folder checks. The
// dialog (setup_wizard_dialog_win) only applies what these functions return, so
// every choice here is tested natively.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "system/ansi_text.h"

// WizardPage numbers: 0 welcome, 1 licence, 2 prepare installation, 3 destination
// folder, 4 installing, 5 printer settings, 6 installing printer, 7 setup
// complete, 8 installing fail.
constexpr int kWelcomePage = 0;
constexpr int kLicensePage = 1;
constexpr int kPreparePage = 2;
constexpr int kFolderPage = 3;
constexpr int kInstallingPage = 4;
constexpr int kPrinterSettingsPage = 5;
constexpr int kInstallingPrinterPage = 6;
constexpr int kCompletePage = 7;
constexpr int kFailPage = 8;

// Every text the page logic puts on the screen, in both languages.
enum class WizardText {
  kTitle,           // window title when the configuration has none
  kBackInitial,     // Back, Next and Cancel as the dialog starts
  kNextInitial,
  kCancelInitial,
  kBrowse,
  kNextArrows,      // Next on pages 0 and 1 after a Back, and on pages 3 and 4
  kInstall,         // Next on page 2
  kFinish,          // Cancel on pages 7 and 8
  kAccept,          // radio 1035
  kDecline,         // radio 1036
  kMessageCaption,  // caption of the folder message boxes
  kFolderEmpty,
  kFolderInvalid,
  kDataFolderInvalid,
  kPrinterNameUnusable,  // start-up refuses the configuration
  kInstallingDriver,     // status line while the driver engine runs
  kSystemLibraryMissing,  // start-up: "%s" is the library's file name
  kWizardNotCreated,      // start-up: the wizard window could not be made
  kNotRecorded,           // the installation's record cannot be written
  kAnotherRun,            // "%s" is the printer: another setup or uninstall runs
  kUndone,                // page 8: the run's changes were taken back
  kNotAllUndone,          // page 8: some could not be
  kRestartToFinish,       // page 7: a file Windows holds is replaced at the restart
  kForeignFile,           // "%s" is a file in the chosen folder that is not this printer's
};

// The text in the language (nonzero: Chinese, GBK bytes; 0: English).
const char* WizardString(WizardText text, int languageFlag);

// A change a step makes to one control: leave it as it is, or set it.
enum class Change { kKeep, kOn, kOff };

// What entering a page through Next or Back does to the dialog's controls, in the
// order the dialog applies it. Captions are null where they stay as they are.
struct PageControls {
  Change licenceVisible = Change::kKeep;  // radios 1035, 1036 and the licence view 1037
  Change backVisible = Change::kKeep;
  Change nextVisible = Change::kKeep;
  Change browseVisible = Change::kKeep;
  Change folderEditVisible = Change::kKeep;  // with a repaint of the panel
  Change progressVisible = Change::kKeep;
  Change settingsVisible = Change::kKeep;    // the seventeen Printer Settings controls
  Change nextEnabled = Change::kKeep;
  Change backEnabled = Change::kKeep;
  Change cancelEnabled = Change::kKeep;
  // Enable Next unless the decline radio is checked (the licence page).
  bool nextFollowsLicence = false;
  // Re-place the licence view under the banner, above the radios.
  bool placeLicence = false;
  // Set the radios' captions of the language.
  bool labelRadios = false;
  const char* nextCaption = nullptr;
  const char* cancelCaption = nullptr;
  // Repaint the panel at once (not only invalidate it).
  bool repaintNow = false;
  // Page 4: the installation worker starts.
  bool startInstallation = false;
  // Page 6: store the chosen port and the default flag, then set the event.
  bool confirmSettings = false;
};

// The controls after Next has moved the wizard to newPage. Pages without a row of
// their own (0, 5, 8: never entered by Next) change nothing.
PageControls ControlsAfterNext(int newPage, int languageFlag);
// The controls when the installation has failed and the panel shows page 8: only
// "Finish" (the Cancel button) is left, enabled; the progress bar goes.
PageControls ControlsAfterFailure(int languageFlag);

// The controls after Back has moved the wizard to newPage (0, 1 or 2).
PageControls ControlsAfterBack(int newPage, int languageFlag);

// Pages on which Back is shown, and so from which Back can be pressed.
bool BackAvailable(int page);

// Whether a Next command is obeyed. A disabled Next cannot be clicked, but a
// command can still arrive (sent or posted by another program): it counts only on
// page 6, where the installation worker posts it to show page 7.
bool NextAccepted(int page, bool nextEnabled);

// Escape and the close box end the wizard unless the installation is running
// with Cancel disabled (pages 4 and 6). Enter never ends it.
bool EscapeEndsWizard(int page);

// The seventeen Printer Settings controls and labels hidden when page 5 is
// confirmed, in the order they are hidden.
extern const int kPrinterSettingsControls[17];

// Paths live in 256-byte buffers: at most this many bytes.
constexpr size_t kMaxFolderLength = 255;

// Result of the destination-folder checks when page 2 (or 3) is left.
enum class FolderVerdict {
  kAccepted,
  kEmpty,              // "folder is empty"
  kInvalid,            // not creatable, or longer than kMaxFolderLength
  kDataFolderInvalid,  // the data folder cannot be created
  kNotRecorded,        // the installation's record cannot be written (no rights)
  kForeignFile,        // the folder holds a file the package would overwrite that is not ours
};

// The message box of a verdict other than kAccepted.
struct FolderMessage {
  const char* text;
  const char* caption;
};
FolderMessage FolderMessageFor(FolderVerdict verdict, int languageFlag);

// The shape CreateFolderPath needs before it touches the disk: at least three
// bytes, a ':' second, and no more than kMaxFolderLength bytes.
bool HasDriveShape(const std::string& path);

// The folders CreateFolderPath makes sure of, from the top: the path up to each
// backslash from the fourth byte on, and then the whole path unless it ends in a
// backslash. "D:\A\B\C" gives D:\A, D:\A\B, D:\A\B\C; "D:\A\" gives D:\A.
// The path is walked character by character in the code page isLeadByte describes
// (on Windows the system's ANSI code page): the second byte of a two-byte character
// is never taken for a backslash, and on a single-byte code page such as 1252 every
// byte is a character of its own. Empty for a path without the drive shape.
std::vector<std::string> FolderLevels(const std::string& path, sys::LeadByteTest isLeadByte);

// The data folder: with a Windows major version above 5, the drive of the Windows
// directory (its first two bytes) followed by "\ProgramData\" and the printer
// name; otherwise the destination folder itself. False when the result would not
// fit kMaxFolderLength bytes, or the Windows directory is shorter than a drive.
bool ComposeDataFolder(unsigned majorVersion, const std::string& windowsDirectory, const std::string& printerName,
                       const std::string& destination, std::string* dataFolder);

// Whether the data folder needs creating (major version above 5), in which case a
// failure refuses the page with kDataFolderInvalid.
inline bool DataFolderIsOwnFolder(unsigned majorVersion) { return majorVersion > 5; }
