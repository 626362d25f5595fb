#include "app/folder_path_win.h"

#include <windows.h>

#include <cstring>

#include "app/installation_session_win.h"
#include "system/ansi_text_win.h"

char g_dataFolder[256] = {};

namespace {

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The Windows major version as the platform reports it to this program.
unsigned MajorVersion() {
  OSVERSIONINFOA version;
  std::memset(&version, 0, sizeof version);
  version.dwOSVersionInfoSize = sizeof version;  // 148 bytes
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&version)) return 0;
#pragma GCC diagnostic pop
  return version.dwMajorVersion;
}

}  // namespace

int CreateFolderPath(const char* path, InstallationSession* session) {
  const std::string whole = path ? path : "";
  const std::vector<std::string> levels = FolderLevels(whole, sys::IsSystemLeadByte);
  if (levels.empty()) return 0;
  // "D:" alone names the drive (its current folder): it must be there.
  if (GetFileAttributesA(whole.substr(0, 2).c_str()) == INVALID_FILE_ATTRIBUTES) return 0;
  for (const std::string& level : levels) {
    const DWORD attributes = GetFileAttributesA(level.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      if (attributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      return 0;  // a file of that name cannot hold the folders below it
    }
    // Recorded only when it is really to be made: a rollback must never touch a
    // file or folder that was there.
    if (session && !session->WillCreateFolder(level)) return -1;
    if (!CreateDirectoryA(level.c_str(), nullptr) && !IsFolder(level)) return 0;
  }
  return 1;
}

FolderVerdict SettleDestinationFolder(const std::string& folder, const char* printerName,
                                      InstallationSession* session) {
  if (folder.empty()) return FolderVerdict::kEmpty;
  // Nothing of the shop's in a folder it already has is ever overwritten.
  if (session && !session->CheckDestination(folder)) return FolderVerdict::kForeignFile;
  if (session && !session->AdoptUninstalledFolder(folder)) return FolderVerdict::kNotRecorded;
  const int made = CreateFolderPath(folder.c_str(), session);
  if (made < 0) return FolderVerdict::kNotRecorded;
  if (made == 0) return FolderVerdict::kInvalid;

  const unsigned major = MajorVersion();
  char windowsDirectory[256] = {};
  const UINT length = GetWindowsDirectoryA(windowsDirectory, 255);
  if (length == 0 || length >= 255) windowsDirectory[0] = '\0';
  std::string dataFolder;
  if (!ComposeDataFolder(major, windowsDirectory, printerName ? printerName : "", folder, &dataFolder)) {
    return FolderVerdict::kDataFolderInvalid;
  }
  if (DataFolderIsOwnFolder(major)) {
    if (session && !session->AdoptUninstalledFolder(dataFolder)) return FolderVerdict::kNotRecorded;
    const int dataMade = CreateFolderPath(dataFolder.c_str(), session);
    if (dataMade < 0) return FolderVerdict::kNotRecorded;
    if (dataMade == 0) return FolderVerdict::kDataFolderInvalid;
  }
  // ComposeDataFolder keeps it within 255 bytes.
  std::memcpy(g_dataFolder, dataFolder.c_str(), dataFolder.size() + 1);
  if (session) {
    session->ProtectMadeFolder(folder);
    session->ProtectMadeFolder(dataFolder);
  }
  return FolderVerdict::kAccepted;
}
