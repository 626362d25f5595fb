#include "app/wizard_navigation.h"

namespace {

struct TextPair {
  const char* chinese;
  const char* english;
};

// Indexed by WizardText. The caption of the folder messages keeps its traditional
// "裝": that is how the product has always spelled it.
const TextPair kTexts[] = {
    {"USB打印机驱动安装", "The Printer driver installation Wizard"},
    {"<<上一步", "Back"},
    {"下一步>>", "Next"},
    {"取消", "Cancel"},
    {"浏览...", "Browse"},
    {"下一步>>", "Next>>"},
    {"安装", "Install"},
    {"完成", "Finish"},
    {"我愿意接受此协议", "I have read and accept the license terms"},
    {"我不愿意接受此协议", "I do not accept the license terms"},
    {"安裝Marlo打印机驱动", "The wizard"},
    {"安装文件夹不能为空", "The folder is empty!"},
    {"安装文件夹不是有效文件夹", "The folder is not a valid folder!"},
    {"安装文件夹不是有效文件夹", "The folder is not a valid folder!"},
    {"安装配置中的打印机名称太长或含有文件名不能使用的字符（最多67个字符）。",
     "The printer name in the install configuration is too long or holds characters a file name cannot hold "
     "(at most 67 characters)."},
    {"正在安装打印机驱动，请稍候...", "Installing Printer Driver, Please wait..."},
    {"安装程序无法启动：无法加载系统组件 %s。", "Setup cannot start: the system component %s could not be loaded."},
    {"安装程序无法启动：无法创建安装向导窗口。", "Setup cannot start: the wizard window could not be created."},
    {"无法在注册表中记录安装。请以管理员身份运行安装程序。",
     "The installation cannot be recorded in the registry. Run the setup as an administrator."},
    {"另一个安装或卸载程序正在处理打印机“%s”。请等它结束后单击“重试”。",
     "Another setup or uninstall of the printer \"%s\" is running. Wait until it has finished, then click Retry."},
    {"安装程序已撤销到目前为止所做的更改。", "The changes made so far have been undone."},
    {"部分更改无法撤销：请再次运行安装程序。", "Some changes could not be undone: run the setup again."},
    {"请重新启动 Windows 以完成安装。", "Restart Windows to finish the installation."},
    {"所选文件夹中已有文件“%s”，它不是本打印机的安装程序放置的，不能被覆盖。请选择其他文件夹。",
     "The folder already holds \"%s\", which this printer's setup did not put there and will not overwrite. "
     "Choose another folder."},
};
static_assert(sizeof kTexts / sizeof kTexts[0] == static_cast<size_t>(WizardText::kForeignFile) + 1,
              "one pair per WizardText");

}  // namespace

const char* WizardString(WizardText text, int languageFlag) {
  const TextPair& pair = kTexts[static_cast<size_t>(text)];
  return languageFlag != 0 ? pair.chinese : pair.english;
}

const int kPrinterSettingsControls[17] = {1011, 1013, 1016, 1018, 1020, 1022, 1024, 1026, 1010,
                                          1015, 1017, 1019, 1021, 1023, 1025, 1027, 1012};

PageControls ControlsAfterNext(int newPage, int languageFlag) {
  PageControls c;
  switch (newPage) {
    case kLicensePage:
      // Next keeps the caption it had: "Next" when coming from the first page.
      c.labelRadios = true;
      c.placeLicence = true;
      c.licenceVisible = Change::kOn;
      c.backVisible = Change::kOn;
      c.nextFollowsLicence = true;
      break;
    case kPreparePage:
      c.licenceVisible = Change::kOff;
      c.nextCaption = WizardString(WizardText::kInstall, languageFlag);
      break;
    case kFolderPage:
      c.folderEditVisible = Change::kOn;
      c.browseVisible = Change::kOn;
      c.backVisible = Change::kOn;
      c.nextCaption = WizardString(WizardText::kNextArrows, languageFlag);
      c.repaintNow = true;
      break;
    case kInstallingPage:
      c.folderEditVisible = Change::kOff;
      c.browseVisible = Change::kOff;
      c.progressVisible = Change::kOn;
      c.cancelEnabled = Change::kOff;
      c.backEnabled = Change::kOff;
      c.nextEnabled = Change::kOff;
      c.nextCaption = WizardString(WizardText::kNextArrows, languageFlag);
      c.repaintNow = true;
      c.startInstallation = true;
      break;
    case kInstallingPrinterPage:
      c.settingsVisible = Change::kOff;
      c.nextEnabled = Change::kOff;
      c.cancelEnabled = Change::kOff;
      c.confirmSettings = true;
      break;
    case kCompletePage:
      c.nextVisible = Change::kOff;
      c.backVisible = Change::kOff;
      c.cancelCaption = WizardString(WizardText::kFinish, languageFlag);
      c.cancelEnabled = Change::kOn;
      break;
    default:
      break;
  }
  return c;
}

PageControls ControlsAfterFailure(int languageFlag) {
  PageControls c;
  c.nextVisible = Change::kOff;
  c.backVisible = Change::kOff;
  c.cancelCaption = WizardString(WizardText::kFinish, languageFlag);
  c.progressVisible = Change::kOff;
  c.cancelEnabled = Change::kOn;
  return c;
}

PageControls ControlsAfterBack(int newPage, int languageFlag) {
  // Whatever the page: the folder field (without a repaint), Browse and Back go.
  PageControls c;
  c.folderEditVisible = Change::kOff;
  c.browseVisible = Change::kOff;
  c.backVisible = Change::kOff;
  switch (newPage) {
    case kWelcomePage:
      c.licenceVisible = Change::kOff;
      c.nextEnabled = Change::kOn;
      c.nextCaption = WizardString(WizardText::kNextArrows, languageFlag);
      break;
    case kLicensePage:
      c.licenceVisible = Change::kOn;
      c.backVisible = Change::kOn;
      c.nextCaption = WizardString(WizardText::kNextArrows, languageFlag);
      c.nextFollowsLicence = true;
      break;
    case kPreparePage:
      c.backVisible = Change::kOn;
      c.nextCaption = WizardString(WizardText::kInstall, languageFlag);
      break;
    default:
      break;
  }
  return c;
}

bool BackAvailable(int page) { return page >= kLicensePage && page <= kFolderPage; }

bool NextAccepted(int page, bool nextEnabled) { return nextEnabled || page == kInstallingPrinterPage; }

bool EscapeEndsWizard(int page) { return page != kInstallingPage && page != kInstallingPrinterPage; }

FolderMessage FolderMessageFor(FolderVerdict verdict, int languageFlag) {
  const char* caption = WizardString(WizardText::kMessageCaption, languageFlag);
  switch (verdict) {
    case FolderVerdict::kEmpty:
      return {WizardString(WizardText::kFolderEmpty, languageFlag), caption};
    case FolderVerdict::kInvalid:
      return {WizardString(WizardText::kFolderInvalid, languageFlag), caption};
    case FolderVerdict::kDataFolderInvalid:
      return {WizardString(WizardText::kDataFolderInvalid, languageFlag), caption};
    case FolderVerdict::kNotRecorded:
      return {WizardString(WizardText::kNotRecorded, languageFlag), caption};
    case FolderVerdict::kForeignFile:
      return {WizardString(WizardText::kForeignFile, languageFlag), caption};
    case FolderVerdict::kAccepted:
      break;
  }
  return {nullptr, nullptr};
}

bool HasDriveShape(const std::string& path) {
  return path.size() >= 3 && path.size() <= kMaxFolderLength && path[1] == ':';
}

std::vector<std::string> FolderLevels(const std::string& path, sys::LeadByteTest isLeadByte) {
  std::vector<std::string> levels;
  if (!HasDriveShape(path)) return levels;
  auto lead = [&](size_t i) { return isLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size(); };
  // The walk starts at the fourth byte, or the fifth when the third begins a
  // two-byte character ("D:" followed by a folder name without a backslash).
  const size_t start = lead(2) ? 4 : 3;
  for (size_t i = start; i < path.size(); ++i) {
    // A two-byte character's trail byte may be 0x5C: step over whole characters.
    if (lead(i)) {
      ++i;
      continue;
    }
    if (path[i] != '\\') continue;
    levels.push_back(path.substr(0, i));
    if (i + 1 == path.size()) return levels;  // a trailing backslash ends the walk
  }
  levels.push_back(path);
  return levels;
}

bool ComposeDataFolder(unsigned majorVersion, const std::string& windowsDirectory, const std::string& printerName,
                       const std::string& destination, std::string* dataFolder) {
  std::string result;
  if (DataFolderIsOwnFolder(majorVersion)) {
    if (windowsDirectory.size() < 2) return false;
    result = windowsDirectory.substr(0, 2) + "\\ProgramData\\" + printerName;
  } else {
    result = destination;
  }
  if (result.size() > kMaxFolderLength) return false;
  *dataFolder = result;
  return true;
}
