// Start-up in front of the wizard, as its own process: a payload whose install
// configuration names a printer of 300 characters is refused with a message box,
// and the program ends without showing the wizard or touching anything else.
#include <gtest/gtest.h>

#include <windows.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/setup_app_win.h"
#include "app/unique_handle_win.h"
#include "resources/resource_ids.h"
#include "win_support.h"

using win_support::EnvironmentWithTemp;
using win_support::PackagePath;
using win_support::ReadAll;
using win_support::ScratchDir;
using win_support::WriteAll;

namespace {

void PutU32(std::string* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>(v >> (8 * i)));
}

// One archive record: name length, packed length, name, one zlib stream.
std::string Record(const std::string& name, const std::string& content) {
  uLongf packedSize = compressBound(static_cast<uLong>(content.size()));
  std::string packed(packedSize, '\0');
  if (compress2(reinterpret_cast<Bytef*>(&packed[0]), &packedSize, reinterpret_cast<const Bytef*>(content.data()),
                static_cast<uLong>(content.size()), 9) != Z_OK) {
    return std::string();
  }
  packed.resize(packedSize);
  std::string record;
  PutU32(&record, static_cast<uint32_t>(name.size()));
  PutU32(&record, static_cast<uint32_t>(packed.size()));
  return record + name + packed;
}

// program followed by a short header, the records and the 8-byte trailer.
std::string Appended(const std::string& program, const std::vector<std::string>& records) {
  std::string file = program;
  const uint32_t offset = static_cast<uint32_t>(file.size());
  PutU32(&file, 6);
  file += "header";
  for (const std::string& r : records) file += r;
  PutU32(&file, static_cast<uint32_t>(records.size()));
  PutU32(&file, offset);
  return file;
}

struct Search {
  DWORD processId;
  bool wantList;  // the language question (it has the list) or anything else
  HWND found;
};

BOOL CALLBACK MatchProcessDialog(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char className[16] = {};
  GetClassNameA(hwnd, className, sizeof className);
  if (pid != search->processId || std::strcmp(className, "#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
  if ((GetDlgItem(hwnd, IDC_LANGUAGE_LIST) != nullptr) != search->wantList) return TRUE;
  search->found = hwnd;
  return FALSE;
}

HWND WaitFor(HANDLE process, DWORD processId, bool wantList) {
  for (int i = 0; i < 600; ++i) {
    Search search = {processId, wantList, nullptr};
    EnumWindows(&MatchProcessDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    if (WaitForSingleObject(process, 50) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

BOOL CALLBACK FirstStaticText(HWND child, LPARAM param) {
  auto* text = reinterpret_cast<std::string*>(param);
  char className[16] = {};
  GetClassNameA(child, className, sizeof className);
  if (std::strcmp(className, "Static") != 0 || !text->empty()) return TRUE;
  char buffer[512] = {};
  GetWindowTextA(child, buffer, sizeof buffer);
  *text = buffer;
  return TRUE;
}

}  // namespace

TEST(AppWizardStartup, PrinterNameOf300CharactersEndsTheProgramWithAMessage) {
  std::string config = ReadAll(PackagePath("InstallConfig_en.txt"));
  const std::string nameLine = "=\r\nRillo-58-Series\r\n";
  const size_t at = config.find(nameLine);
  ASSERT_NE(at, std::string::npos) << "the sample configuration changed";
  config.replace(at + 3, std::strlen("Rillo-58-Series"), std::string(300, 'N'));
  const std::string licence = ReadAll(PackagePath("License_en.txt"));
  ASSERT_FALSE(licence.empty());
  const std::string stub = ReadAll("setup-stub.exe");
  ASSERT_FALSE(stub.empty()) << "run from the build tree";

  ScratchDir dir;
  ScratchDir temp;
  const std::string program = dir.File("vendor-setup.exe");
  ASSERT_TRUE(WriteAll(program, Appended(stub, {Record("InstallConfig_en.txt", config),
                                                Record("License_en.txt", licence)})));

  std::string env = EnvironmentWithTemp(temp.path());
  std::string commandLine = "\"" + program + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, &env[0], nullptr, &si,
                             &pi));
  CloseHandle(pi.hThread);
  UniqueHandle process(pi.hProcess);

  HWND question = WaitFor(process.get(), pi.dwProcessId, true);
  ASSERT_NE(question, nullptr) << "no language question";
  SendMessageA(GetDlgItem(question, IDC_LANGUAGE_LIST), CB_SETCURSEL, 1, 0);  // English
  SendNotifyMessageA(GetDlgItem(question, IDOK), BM_CLICK, 0, 0);

  HWND box = WaitFor(process.get(), pi.dwProcessId, false);
  std::string caption, text;
  bool isWizard = false;
  if (box) {
    isWizard = GetDlgItem(box, IDC_LICENSE_TEXT) != nullptr;
    char buffer[256] = {};
    GetWindowTextA(box, buffer, sizeof buffer);
    caption = buffer;
    EnumChildWindows(box, &FirstStaticText, reinterpret_cast<LPARAM>(&text));
    if (isWizard) {
      PostMessageA(box, WM_CLOSE, 0, 0);
    } else {
      SendNotifyMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    }
  }
  DWORD code = 99;
  if (WaitForSingleObject(process.get(), 30000) != WAIT_OBJECT_0) {
    TerminateProcess(process.get(), 99);
  } else {
    GetExitCodeProcess(process.get(), &code);
  }
  ASSERT_NE(box, nullptr) << "neither a message nor the wizard appeared";
  EXPECT_FALSE(isWizard) << "the wizard ran on an unusable printer name";
  EXPECT_EQ(caption, "The wizard");
  EXPECT_EQ(text,
            "The printer name in the install configuration is too long or holds characters a file name cannot hold "
            "(at most 67 characters).");
  EXPECT_EQ(code, static_cast<DWORD>(SetupApp::kExitUnusableName));
  // The start-up files (the licence the wizard would have read among them) went
  // with the run's own folder: nothing is left in the temporary folder.
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(temp.File("*").c_str(), &found);
  std::string left;
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name != "." && name != "..") left += name + " ";
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  EXPECT_EQ(left, "");
  DeleteFileA(program.c_str());
}
