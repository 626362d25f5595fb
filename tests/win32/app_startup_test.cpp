// The start-up files: which payload entries land in the temporary directory under
// which names, from both carriers; and the setup program's start-up as a whole,
// launched as its own process and answered like a person would.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <cctype>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/language_dialog_win.h"
#include "app/startup_files_win.h"
#include "app/unique_handle_win.h"
#include "payload/archive.h"
#include "payload/payload_resource_win.h"
#include "resources/resource_ids.h"
#include "win_support.h"

using win_support::EnvironmentWithTemp;
using win_support::PackagePath;
using win_support::ReadAll;
using win_support::ScratchDir;
using win_support::WriteAll;

namespace {

struct ResourceCopy {
  unsigned char* data = nullptr;
  size_t size = 0;
  ResourceCopy() { data = LoadPayloadResource(kPayloadResourceId, kPayloadResourceType, &size); }
  ~ResourceCopy() { delete[] data; }
};

std::set<std::string> FilesIn(const std::string& dir) {
  std::set<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    std::string n = found.cFileName;
    if (n != "." && n != "..") names.insert(n);
  } while (FindNextFileA(h, &found));
  FindClose(h);
  return names;
}

// The raw records of the sample archive (each one's bytes, in archive order).
struct Record {
  std::string name;
  std::string bytes;
};

std::vector<Record> SampleRecords(const ResourceCopy& copy) {
  std::vector<Record> records;
  payload::MemorySource source(copy.data, copy.size);
  payload::ArchiveLayout layout;
  if (payload::LocateResourceArchive(source, &layout) != payload::LocateResult::kFound) return records;
  payload::WalkEntries(source, layout, [&](const payload::PackageEntry& e) {
    const char* begin = reinterpret_cast<const char*>(copy.data + e.recordOffset);
    records.push_back({e.name, std::string(begin, static_cast<size_t>(e.dataOffset + e.packedLength - e.recordOffset))});
    return true;
  });
  return records;
}

void PutU32(std::string* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>(v >> (8 * i)));
}

std::string ResourceArchive(const std::vector<Record>& records) {
  std::string archive;
  PutU32(&archive, static_cast<uint32_t>(records.size()));
  for (const Record& r : records) archive += r.bytes;
  return archive;
}

// A "program" of a few bytes with the records appended behind a short header and
// the 8-byte trailer (count, absolute offset).
std::string AppendedProgram(const std::vector<Record>& records) {
  std::string file = "MZ this stands in for the program";
  uint32_t offset = static_cast<uint32_t>(file.size());
  PutU32(&file, 6);
  file += "header";
  for (const Record& r : records) file += r.bytes;
  PutU32(&file, static_cast<uint32_t>(records.size()));
  PutU32(&file, offset);
  return file;
}

// Remembers how far into the file anything was read.
class WatchedSource : public payload::ByteSource {
 public:
  explicit WatchedSource(std::string bytes) : bytes_(std::move(bytes)), inner_(bytes_.data(), bytes_.size()) {}
  uint64_t Size() const override { return inner_.Size(); }
  long ReadAt(uint64_t offset, void* buffer, size_t n) override {
    long got = inner_.ReadAt(offset, buffer, n);
    // The trailer and the header are read from the end and the front; only record
    // reads move the high-water mark we look at.
    if (got > 0 && offset + got < Size() - 8 && offset + got > highest) highest = offset + got;
    return got;
  }
  uint64_t highest = 0;

 private:
  std::string bytes_;
  payload::MemorySource inner_;
};

std::string Package(const char* name) { return ReadAll(PackagePath(name)); }

// Compares whole files without printing megabytes of bitmap on a mismatch.
testing::AssertionResult SameAsPackage(const std::string& path, const char* packageName) {
  std::string written = ReadAll(path);
  if (written == Package(packageName)) return testing::AssertionSuccess();
  return testing::AssertionFailure() << path << " (" << written.size() << " bytes) differs from " << packageName;
}

}  // namespace

TEST(AppStartupFiles, NameTablesPerCarrierAndLanguage) {
  const StartupFileNames& rc = StartupNamesFor(false, 1);
  EXPECT_STREQ(rc.source[0], "InstallConfig_cn.txt");
  EXPECT_STREQ(rc.source[1], "License_cn.txt");
  EXPECT_STREQ(rc.target[2], "Logo.bmp");
  const StartupFileNames& re = StartupNamesFor(false, 0);
  EXPECT_STREQ(re.source[0], "InstallConfig_en.txt");
  EXPECT_STREQ(re.source[1], "License_en.txt");
  const StartupFileNames& ac = StartupNamesFor(true, 1);
  EXPECT_STREQ(ac.source[1], "logo.bmp");
  EXPECT_STREQ(ac.target[1], "logo.bmp");
  EXPECT_STREQ(ac.source[2], "License_cn.txt");
  EXPECT_STREQ(StartupNamesFor(true, 0).source[2], "License_en.txt");
  for (bool appended : {false, true})
    for (int flag : {0, 1}) {
      EXPECT_STREQ(StartupNamesFor(appended, flag).target[0], "InstallConfig.txt");
      EXPECT_STREQ(StartupNamesFor(appended, flag).source[3], "left.bmp");
      EXPECT_STREQ(StartupNamesFor(appended, flag).target[3], "left.bmp");
    }
}

TEST(AppStartupFiles, ResourceChineseWritesTheFourFilesUnderTheirFixedNames) {
  ResourceCopy copy;
  ASSERT_NE(copy.data, nullptr);
  ScratchDir dir;
  EXPECT_EQ(ExtractStartupFilesFromResource(copy.data, copy.size, 1, (dir.path() + "\\").c_str()), 4);
  EXPECT_EQ(FilesIn(dir.path()), (std::set<std::string>{"InstallConfig.txt", "License.txt", "Logo.bmp", "left.bmp"}));
  EXPECT_TRUE(SameAsPackage(dir.File("InstallConfig.txt"), "InstallConfig_cn.txt"));
  EXPECT_TRUE(SameAsPackage(dir.File("License.txt"), "License_cn.txt"));
  EXPECT_TRUE(SameAsPackage(dir.File("Logo.bmp"), "Logo.bmp"));
  // "Left.bmp" in the archive matches "left.bmp" and is written under that spelling.
  EXPECT_TRUE(SameAsPackage(dir.File("left.bmp"), "Left.bmp"));
}

TEST(AppStartupFiles, ResourceEnglishTakesTheEnglishTexts) {
  ResourceCopy copy;
  ASSERT_NE(copy.data, nullptr);
  ScratchDir dir;
  EXPECT_EQ(ExtractStartupFilesFromResource(copy.data, copy.size, 0, (dir.path() + "\\").c_str()), 4);
  EXPECT_EQ(FilesIn(dir.path()).size(), 4u);
  EXPECT_TRUE(SameAsPackage(dir.File("InstallConfig.txt"), "InstallConfig_en.txt"));
  EXPECT_TRUE(SameAsPackage(dir.File("License.txt"), "License_en.txt"));
}

TEST(AppStartupFiles, MissingLicenceLeavesItsFileAbsent) {
  ResourceCopy copy;
  ASSERT_NE(copy.data, nullptr);
  std::vector<Record> records;
  for (const Record& r : SampleRecords(copy))
    if (r.name != "License_en.txt") records.push_back(r);
  ASSERT_EQ(records.size(), win_support::PackageEntries().size() - 1);
  std::string archive = ResourceArchive(records);
  ScratchDir dir;
  EXPECT_EQ(ExtractStartupFilesFromResource(reinterpret_cast<const unsigned char*>(archive.data()), archive.size(), 0,
                                            (dir.path() + "\\").c_str()),
            3);
  EXPECT_EQ(FilesIn(dir.path()), (std::set<std::string>{"InstallConfig.txt", "Logo.bmp", "left.bmp"}));
}

TEST(AppStartupFiles, NoArchiveInEitherCarrier) {
  ScratchDir dir;
  const unsigned char junk[3] = {1, 2, 3};
  EXPECT_EQ(ExtractStartupFilesFromResource(junk, sizeof junk, 1, (dir.path() + "\\").c_str()), kNoStartupArchive);
  WatchedSource program(std::string("MZ and nothing appended to it"));
  EXPECT_EQ(ExtractStartupFilesFromAppended(program, 1, dir.path().c_str()), kNoStartupArchive);
  EXPECT_TRUE(FilesIn(dir.path()).empty());
}

TEST(AppStartupFiles, AppendedDeliversAllFourInAnyOrder) {
  ResourceCopy copy;
  std::vector<Record> records = SampleRecords(copy);
  ASSERT_EQ(records.size(), win_support::PackageEntries().size());
  std::vector<Record> reversed(records.rbegin(), records.rend());
  for (int flag : {1, 0}) {
    WatchedSource program(AppendedProgram(reversed));
    ScratchDir dir;
    EXPECT_EQ(ExtractStartupFilesFromAppended(program, flag, dir.path().c_str()), 4);
    EXPECT_EQ(FilesIn(dir.path()), (std::set<std::string>{"InstallConfig.txt", "License.txt", "logo.bmp", "left.bmp"}));
    EXPECT_TRUE(SameAsPackage(dir.File("InstallConfig.txt"), flag ? "InstallConfig_cn.txt" : "InstallConfig_en.txt"));
    EXPECT_TRUE(SameAsPackage(dir.File("License.txt"), flag ? "License_cn.txt" : "License_en.txt"));
    EXPECT_TRUE(SameAsPackage(dir.File("logo.bmp"), "Logo.bmp"));
    EXPECT_TRUE(SameAsPackage(dir.File("left.bmp"), "Left.bmp"));
  }
}

TEST(AppStartupFiles, AppendedWalkStopsAfterTheFourthFile) {
  ResourceCopy copy;
  std::vector<Record> records = SampleRecords(copy);
  ASSERT_EQ(records.size(), win_support::PackageEntries().size());
  // In archive order the last wanted entry is "Logo.bmp", the sixth.
  ASSERT_EQ(records[5].name, "Logo.bmp");
  std::string file = AppendedProgram(records);
  size_t seventh = file.find(records[6].bytes);
  ASSERT_NE(seventh, std::string::npos);
  WatchedSource program(file);
  ScratchDir dir;
  EXPECT_EQ(ExtractStartupFilesFromAppended(program, 1, dir.path().c_str()), 4);
  EXPECT_LE(program.highest, seventh);
  EXPECT_GT(program.highest, seventh - records[5].bytes.size());
}

// ---------------------------------------------------------------------------
// The setup program itself. The tests start it from the build tree (the working
// directory of the test run) with TMP and TEMP pointing at a scratch folder, answer
// its language question from here and look at what start-up left behind.

namespace {

struct Launched {
  UniqueHandle process;
  DWORD processId = 0;
};


bool Launch(std::string program, const std::string& temp, Launched* out) {
  for (char& c : program)
    if (c == '/') c = '\\';
  std::string env = EnvironmentWithTemp(temp);
  std::string commandLine = "\"" + program + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, &env[0], nullptr, &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  out->process.Reset(pi.hProcess);
  out->processId = pi.dwProcessId;
  return true;
}

struct FindRequest {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK MatchDialog(HWND hwnd, LPARAM param) {
  FindRequest* request = reinterpret_cast<FindRequest*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char className[16] = {};
  GetClassNameA(hwnd, className, sizeof className);
  if (pid == request->processId && std::strcmp(className, "#32770") == 0 && IsWindowVisible(hwnd)) {
    request->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND WaitForDialog(const Launched& run) {
  for (int i = 0; i < 2400; ++i) {
    FindRequest request = {run.processId, nullptr};
    EnumWindows(&MatchDialog, reinterpret_cast<LPARAM>(&request));
    if (request.found) return request.found;
    if (WaitForSingleObject(run.process.get(), 50) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

DWORD WaitForExit(const Launched& run) {
  if (WaitForSingleObject(run.process.get(), 30000) != WAIT_OBJECT_0) {
    TerminateProcess(run.process.get(), 99);
    return 99;
  }
  DWORD code = 98;
  GetExitCodeProcess(run.process.get(), &code);
  return code;
}

std::wstring TitleOf(HWND hwnd) {
  wchar_t text[128] = {};
  GetWindowTextW(hwnd, text, 128);
  return text;
}

enum class Reply { kOkAsPreselected, kChooseChinese, kChooseEnglish, kCancel };

struct StartupRun {
  bool launched = false;
  bool asked = false;
  std::wstring title;
  int preselected = -2;
  bool wizardShown = false;  // the wizard came up after the answer (and was closed)
  std::string licence;       // the wizard's licence view, line ends removed
  // While the wizard showed: the folders in the temporary folder, and the files of
  // the one that is the run's own (its picture files copied out to compare).
  std::set<std::string> tempEntries;
  std::set<std::string> runFolderFiles;
  std::string logo, left;
  DWORD exitCode = 0;
};

BOOL CALLBACK MatchWizard(HWND hwnd, LPARAM param) {
  FindRequest* request = reinterpret_cast<FindRequest*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == request->processId && IsWindowVisible(hwnd) && GetDlgItem(hwnd, IDC_LICENSE_TEXT)) {
    request->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// The wizard that follows a start-up, waited for up to 2 minutes (a first start in a
// new prefix on a loaded machine is slow) or until the program ends.
HWND WaitForWizard(const Launched& run) {
  for (int i = 0; i < 2400; ++i) {
    FindRequest request = {run.processId, nullptr};
    EnumWindows(&MatchWizard, reinterpret_cast<LPARAM>(&request));
    if (request.found) return request.found;
    if (WaitForSingleObject(run.process.get(), 50) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

std::string WithoutLineEnds(std::string text) {
  std::string out;
  for (char c : text)
    if (c != '\r' && c != '\n') out.push_back(c);
  return out;
}

StartupRun RunSetup(const std::string& program, const std::string& temp, Reply reply) {
  StartupRun result;
  Launched run;
  result.launched = Launch(program, temp, &run);
  if (!result.launched) return result;
  HWND dialog = WaitForDialog(run);
  if (dialog) {
    result.asked = true;
    result.title = TitleOf(dialog);
    HWND list = GetDlgItem(dialog, IDC_LANGUAGE_LIST);
    result.preselected = static_cast<int>(SendMessageA(list, CB_GETCURSEL, 0, 0));
    if (reply == Reply::kChooseChinese) SendMessageA(list, CB_SETCURSEL, 0, 0);
    if (reply == Reply::kChooseEnglish) SendMessageA(list, CB_SETCURSEL, 1, 0);
    SendMessageA(GetDlgItem(dialog, reply == Reply::kCancel ? IDCANCEL : IDOK), BM_CLICK, 0, 0);
  }
  // Start-up ends in the wizard: read the licence it loaded, then close it.
  HWND wizard = reply == Reply::kCancel ? nullptr : WaitForWizard(run);
  if (wizard) {
    result.wizardShown = true;
    result.tempEntries = FilesIn(temp);
    for (const std::string& entry : result.tempEntries) {
      if (entry.rfind("PrinterSetup.", 0) != 0) continue;
      const std::string folder = temp + "\\" + entry;
      result.runFolderFiles = FilesIn(folder);
      result.logo = ReadAll(folder + "\\Logo.bmp");
      result.left = ReadAll(folder + "\\left.bmp");
    }
    HWND view = GetDlgItem(wizard, IDC_LICENSE_TEXT);
    // Read as UTF-16 and turned into the ANSI code page here: the program set the
    // text through that same code page (both processes run under one locale).
    LRESULT length = SendMessageW(view, WM_GETTEXTLENGTH, 0, 0);

    if (length >= 0 && length < 1000000) {
      // Room to spare: given just the length it reports, Wine's rich edit returns
      // nothing for a Chinese text under a Chinese code page.
      std::wstring wide(static_cast<size_t>(length) * 2 + 64, L'\0');
      LRESULT got = SendMessageW(view, WM_GETTEXT, wide.size(), reinterpret_cast<LPARAM>(&wide[0]));
      wide.resize(got > 0 ? static_cast<size_t>(got) : 0);
      std::string text(wide.size() * 2 + 1, '\0');
      int bytes = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), &text[0],
                                      static_cast<int>(text.size()), nullptr, nullptr);
      text.resize(bytes > 0 ? static_cast<size_t>(bytes) : 0);
      result.licence = WithoutLineEnds(text);
    }
    PostMessageA(wizard, WM_CLOSE, 0, 0);
  }
  result.exitCode = WaitForExit(run);
  return result;
}

// The program under test: SETUP_PROGRAM (relative to the build tree) when set, which
// is how tests/scripts/windows_stub_under_wine.sh points these tests at the stubs it
// built, otherwise the tree's setup.exe.
std::string ProgramUnderTest() {
  const char* program = std::getenv("SETUP_PROGRAM");
  return program && *program ? program : "setup.exe";
}

bool SystemGetsChinese() { return LanguageDialog::ChineseVariantFor(GetSystemDefaultLCID()); }

}  // namespace

TEST(SetupProgram, AnswerFromTheQuestionPicksTheStartupFiles) {
  for (Reply reply : {Reply::kChooseEnglish, Reply::kChooseChinese}) {
    ScratchDir temp;
    StartupRun run = RunSetup(ProgramUnderTest(), temp.path(), reply);
    ASSERT_TRUE(run.launched) << ProgramUnderTest();
    ASSERT_TRUE(run.asked) << "no language question; exit code " << run.exitCode;
    EXPECT_EQ(run.title, SystemGetsChinese() ? L"打印机驱动安装--选择语言" : L"Setup--Select Language");
    EXPECT_EQ(run.preselected, SystemGetsChinese() ? 0 : 1);
    EXPECT_EQ(run.exitCode, 0u) << "start-up found no payload";
    bool chinese = reply == Reply::kChooseChinese;
    // The start-up files go into a folder of the run's own: the configuration was
    // read and deleted, the wizard showed the licence and deleted it too, the
    // pictures stay for its painting; once the program has ended, nothing of it is
    // left in the temporary folder.
    ASSERT_TRUE(run.wizardShown);
    ASSERT_EQ(run.tempEntries.size(), 1u);
    EXPECT_EQ(run.tempEntries.begin()->rfind("PrinterSetup.", 0), 0u) << *run.tempEntries.begin();
    // The appended carrier writes the logo as "logo.bmp": names compare without case.
    std::set<std::string> folded;
    for (std::string name : run.runFolderFiles) {
      for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      folded.insert(name);
    }
    EXPECT_EQ(folded, (std::set<std::string>{"logo.bmp", "left.bmp", "run.lock"}));
    EXPECT_EQ(run.licence, WithoutLineEnds(Package(chinese ? "License_cn.txt" : "License_en.txt")));
    EXPECT_EQ(run.logo, Package("Logo.bmp"));
    EXPECT_EQ(run.left, Package("Left.bmp"));
    EXPECT_TRUE(FilesIn(temp.path()).empty());
  }
}

TEST(SetupProgram, CancelLeavesTheTemporaryFolderUntouched) {
  ScratchDir temp;
  ASSERT_TRUE(WriteAll(temp.File("Logo.bmp"), "an older logo"));
  StartupRun run = RunSetup(ProgramUnderTest(), temp.path(), Reply::kCancel);
  ASSERT_TRUE(run.asked);
  EXPECT_FALSE(run.wizardShown);
  EXPECT_EQ(run.exitCode, 2u);
  EXPECT_EQ(FilesIn(temp.path()), (std::set<std::string>{"Logo.bmp"}));
  EXPECT_EQ(ReadAll(temp.File("Logo.bmp")), "an older logo");
}

// Another program's logo in the temporary folder can never show (the run paints
// from its own folder) and is left alone.
TEST(SetupProgram, BareStubRunsOnDefaultsAndLeavesOthersFiles) {
  ScratchDir temp;
  ASSERT_TRUE(WriteAll(temp.File("Logo.bmp"), "an older logo"));
  StartupRun run = RunSetup("setup-stub.exe", temp.path(), Reply::kOkAsPreselected);
  ASSERT_TRUE(run.launched);
  ASSERT_TRUE(run.asked);
  EXPECT_EQ(run.exitCode, 1u) << "the bare stub claimed a payload";
  EXPECT_TRUE(run.wizardShown) << "the wizard runs on the built-in defaults";
  EXPECT_EQ(run.licence, "");
  EXPECT_EQ(run.runFolderFiles, std::set<std::string>{"run.lock"});
  EXPECT_EQ(FilesIn(temp.path()), std::set<std::string>{"Logo.bmp"});
  EXPECT_EQ(ReadAll(temp.File("Logo.bmp")), "an older logo");
}

// Under the Chinese locale (tests/scripts/windows_app_chinese_locale.sh) the
// program asks in Chinese with "中文" preselected, and OK gives the Chinese files.
TEST(AppChineseLocale, SetupAsksInChineseAndOkGivesChinese) {
  if (!std::getenv("APP_CHINESE_LOCALE")) GTEST_SKIP() << "needs the Chinese locale script";
  ScratchDir temp;
  StartupRun run = RunSetup("setup.exe", temp.path(), Reply::kOkAsPreselected);
  ASSERT_TRUE(run.asked);
  EXPECT_EQ(run.title, L"打印机驱动安装--选择语言");
  EXPECT_EQ(run.preselected, 0);
  EXPECT_EQ(run.exitCode, 0u);
  ASSERT_TRUE(run.wizardShown);
  EXPECT_EQ(run.licence, WithoutLineEnds(Package("License_cn.txt")));
}
