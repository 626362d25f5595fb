#include "ui/page_layout.h"

#include <cstring>

namespace ui {

// The face no system ships: the font mapper picks the closest one it has, which
// is how these pages have always looked.
const char kPageFontFace[] = "Ms Scanf";

namespace {

struct Bilingual {
  const char* chinese;
  const char* english;
};

const Bilingual kHeadings[kLastPage + 1] = {
    {nullptr, nullptr},
    {"软件许可协议", "Software License Agreement"},
    {"准备安装", "Prepare installation "},  // the English heading ends in a space
    {"选择文件夹", "Choose Destination Location"},
    {"正在安装", "Installing"},
    {"设置打印机", "Printer Settings"},
    {"安装打印机", "Installing Printer"},
    {"安装完成", "Setup Complete"},
    {"安装失败", "Installing Fail"},
};

const Bilingual kWelcomeText = {
    "欢迎使用Q710打印机驱动\n\n本向导将会在您的电脑上安装Q710打印机驱动。本程序支持Word、Excel等程序的Windows标准打印功能。"
    "\n\n本程序在完成安装之后，不必重启系統就可以直接使用。\n\n\n请点击[下一步]继续。",
    "Welcome use Rillo-80Series printer.\n\nThis Wizard will install Rillo-80Series printer driver in \nyour "
    "computer.This software can support word,excel \netc program standard printing function.\n\n\n\n\nPlease "
    "click [next] to continue."};

const Bilingual kInstallingText = {
    "安装程序正在Q710打印机驱动到您的电脑上。请等待，这个工程可能会花几分钟。",
    "Setup is installing Rillo-80Series printer driver in your computer.Please wait, the progress will spend your "
    "few minute."};

// Both end in a space.
const Bilingual kSuccessText = {"Q710打印机驱动已成功安装到您的电脑。 ",
                                "Setup has successfully installed Rillo-80Series printer driver. "};
const Bilingual kFailureText = {"打印机驱动安装失败。 ", "The Printer Driver installed fail. "};

const Bilingual kLicencePrompt = {"请认真阅读许可协议的内容，必须接受才允许进行安装。",
                                  "Please read the following agreement. Scroll down to see the entire agreement."};
const Bilingual kPreparePrompt = {"单击“安装”继续进程。", "Click [Install] to continue"};
const Bilingual kInstallingPrinterPrompt = {"正在安装打印机，请稍候.......", "Installing Printer, Please wait......."};

const Bilingual kTargetFolderCaption = {"目标文件夹", "Target folder"};
const Bilingual kSettingsCaptions[kSettingsFrameCount] = {
    {"", ""},  // the first frame has no caption: only its one-pixel gap shows
    {"打印机设置", "Printer Settings"},
    {"打印机端口设置", "Printer Port Settings"},
};

const char* Pick(const Bilingual& text, int languageFlag) {
  return ByLanguage(languageFlag, text.chinese, text.english);
}

}  // namespace

const FieldLabel kFieldLabels[kFieldLabelCount] = {
    {IDC_MODEL_LABEL, "打印机型号：", "Printer Model:"},
    {IDC_PRINTER_NAME_LABEL, "打印机名称：", "Printer Name:"},
    {IDC_PORT_LABEL, "端口：", "Port:"},
    {IDC_BAUD_LABEL, "波特率：", "Baud rate:"},
    {IDC_STOP_BITS_LABEL, "停止位：", "Stop bit:"},
    {IDC_FLOW_LABEL, "流控制：", "Flow contorl:"},
    {IDC_DATA_BITS_LABEL, "数据位：", "Data bits:"},
    {IDC_PARITY_LABEL, "奇偶校验：", "Even-odd check:"},
};

const char* PageHeading(int page, int languageFlag) {
  if (!IsValidPage(page)) return nullptr;
  return Pick(kHeadings[page], languageFlag);
}

const char* PagePrompt(int page, int languageFlag) {
  switch (page) {
    case 1: return Pick(kLicencePrompt, languageFlag);
    case 2: return Pick(kPreparePrompt, languageFlag);
    case 6: return Pick(kInstallingPrinterPrompt, languageFlag);
    default: return nullptr;
  }
}

int PageSectionIndex(int page) {
  switch (page) {
    case 0: return 0;
    case 3: return 1;
    case 4: return 2;
    case 7: return 3;
    case 8: return 5;  // section 5 (the cancellation text) is never painted
    default: return -1;
  }
}

const char* PageBuiltInText(int page, int languageFlag) {
  switch (page) {
    case 0: return Pick(kWelcomeText, languageFlag);
    case 3:
    case 4: return Pick(kInstallingText, languageFlag);
    case 7: return Pick(kSuccessText, languageFlag);
    case 8: return Pick(kFailureText, languageFlag);
    default: return nullptr;
  }
}

const char* ChooseBlockText(int page, int languageFlag, const char* section) {
  if (PageSectionIndex(page) < 0) return nullptr;
  if (section != nullptr && section[0] != '\0') return section;
  return PageBuiltInText(page, languageFlag);
}

bool PageTextBlockFor(int page, int languageFlag, int clientWidth, PageTextBlock* block) {
  if (PageSectionIndex(page) < 0) return false;
  PageTextBlock b;
  if (page == 0) {
    // Beside the side artwork, up to 10 pixels short of the panel's right edge:
    // the limit counts from where the lines start.
    b.layout.x = languageFlag != 0 ? 192 : 180;
    b.widthLimit = clientWidth - 10 - b.layout.x;
    b.layout.firstTop = 20;
    b.layout.stepAfterFirst = 30;
    b.layout.stepAfterOthers = 16;
    b.titleFontFirstLine = true;
  } else {
    // Pages 7 and 8 step 103 pixels: their configured texts are a result line and
    // a closing line meant to sit well below it.
    const int step = (page == 7 || page == 8) ? 103 : 13;
    b.widthLimit = clientWidth - 56;
    b.layout.x = 28;
    b.layout.firstTop = 70;
    b.layout.stepAfterFirst = step;
    b.layout.stepAfterOthers = step;
  }
  *block = b;
  return true;
}

const char* TargetFolderCaption(int languageFlag) { return Pick(kTargetFolderCaption, languageFlag); }

CaptionedFrame SettingsFrame(size_t index, int languageFlag, int clientWidth) {
  static constexpr int kTops[kSettingsFrameCount] = {68, 117, 190};
  static constexpr int kBottoms[kSettingsFrameCount] = {106, 176, 273};
  if (index >= kSettingsFrameCount) index = kSettingsFrameCount - 1;
  CaptionedFrame result;
  result.frame = FrameRect{5, kTops[index], clientWidth - 5, kBottoms[index]};
  result.caption = Pick(kSettingsCaptions[index], languageFlag);
  return result;
}

const char* PageImageName(int page) { return page == 0 ? "left.bmp" : "Logo.bmp"; }

bool ComposeDefaultFolder(const char* programFiles, const char* printerName, char* out, size_t outSize) {
  if (out == nullptr || outSize == 0) return false;
  if (programFiles == nullptr) programFiles = "";
  if (printerName == nullptr || printerName[0] == '\0') printerName = "USB Printer";
  const size_t limit = outSize - 1;
  size_t used = 0;
  bool whole = true;
  for (const char* part : {programFiles, printerName}) {
    const size_t length = std::strlen(part);
    size_t take = 0;
    // Whole characters only: a lead byte travels with its trail byte.
    while (take < length) {
      const size_t character =
          IsLeadByte(static_cast<unsigned char>(part[take])) && take + 1 < length ? 2 : 1;
      if (used + take + character > limit) break;
      take += character;
    }
    std::memcpy(out + used, part, take);
    used += take;
    if (take < length) {
      whole = false;
      break;
    }
  }
  out[used] = '\0';
  return whole;
}

}  // namespace ui
