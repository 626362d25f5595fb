#include "uninstall/uninstall_texts.h"

namespace uninstall {

namespace {

struct Pair {
  Text text;
  const char* chinese;
  const char* english;
};

const Pair kTexts[] = {
    {Text::kCaption, "卸载打印机驱动", "Uninstall Printer Driver"},
    {Text::kConfirm, "要删除打印机驱动“%s”及使用它的所有打印机吗？",
     "Remove the printer driver \"%s\" and every printer that uses it?"},
    {Text::kPreparing, "正在准备...", "Preparing..."},
    {Text::kRemovingPrinters, "正在删除打印机...", "Removing the printers..."},
    {Text::kRemovingDriver, "正在删除打印机驱动...", "Removing the printer driver..."},
    {Text::kRemovingPort, "正在删除端口和端口监视器...", "Removing the port and the port monitor..."},
    {Text::kRemovingFiles, "正在删除文件...", "Removing the files..."},
    {Text::kRemovingRecord, "正在删除注册表记录...", "Removing the registry record..."},
    {Text::kFinished, "卸载已结束。", "Uninstall finished."},
    {Text::kClose, "关闭", "Close"},
    {Text::kDone, "打印机驱动“%s”已删除。", "The printer driver \"%s\" has been removed."},
    {Text::kRestartNeeded, "有些文件仍在使用中：请重新启动 Windows 以完成卸载。",
     "Some files are still in use: restart Windows to finish the uninstall."},
    {Text::kSelfAfterRestart, "卸载程序本身将在 Windows 下次启动时删除。",
     "The uninstaller itself is removed when Windows next starts."},
    {Text::kFailed, "以下步骤失败：", "These steps failed:"},
    {Text::kRecordKept, "卸载记录已保留：请再次运行卸载程序以完成卸载。",
     "The uninstall record was kept: run the uninstaller again to finish."},
    {Text::kFolderKept, "文件夹“%s”中还有其他文件，已保留。", "The folder \"%s\" holds other files and was kept."},
    {Text::kBadCommandLine, "用法：Uninstaller.exe [/S] [/PRINTER=打印机名称]", "Usage: Uninstaller.exe [/S] [/PRINTER=name]"},
    {Text::kDefaultNotMoved, "“%s”曾是默认打印机，没有其他打印机可以代替它。",
     "\"%s\" was the default printer and no other printer could take its place."},
    {Text::kFileKept, "文件“%s”在安装后已被更改，已保留。", "The file \"%s\" was changed since the installation and was kept."},
    {Text::kAnotherRun, "另一个安装或卸载程序正在处理打印机“%s”。请等它结束后单击“重试”。",
     "Another setup or uninstall of the printer \"%s\" is running. Wait until it has finished, then click Retry."},
};

}  // namespace

const char* UninstallString(Text text, int languageFlag) {
  for (const Pair& pair : kTexts) {
    if (pair.text == text) return languageFlag ? pair.chinese : pair.english;
  }
  return "";
}

}  // namespace uninstall
