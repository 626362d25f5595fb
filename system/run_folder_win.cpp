#include "system/run_folder_win.h"

#include <cstdio>
#include <vector>

namespace sys {

namespace {

constexpr char kPrefix[] = "PrinterSetup.";
// Held open by the run, deleted by Windows when the handle closes, however the
// process ends: a folder without it belongs to nobody.
constexpr char kMarkName[] = "run.lock";

std::string g_currentRunFolder;

std::string TempFolder() {
  char folder[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathA(sizeof folder, folder);
  if (length == 0 || length >= sizeof folder) return std::string();
  std::string path(folder, length);
  if (path.back() != '\\') path += '\\';
  return path;
}

// Deletes every file directly inside folder, then the folder. A file that cannot
// go keeps the folder.
void DeleteFolder(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      DeleteFileA((folder + entry.cFileName).c_str());
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace

bool RunFolder::Create() {
  const std::string temp = TempFolder();
  if (temp.empty()) return false;
  RemoveAbandoned();
  const DWORD seed = GetCurrentProcessId() ^ GetTickCount();
  for (DWORD attempt = 0; attempt < 1000; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%08lx", kPrefix, static_cast<unsigned long>(seed + attempt * 7919));
    const std::string folder = temp + name + "\\";
    if (folder.size() > 200) return false;  // the start-up files' paths must fit 255 bytes
    if (!CreateDirectoryA(folder.c_str(), nullptr)) {
      if (GetLastError() == ERROR_ALREADY_EXISTS) continue;
      return false;
    }
    // The mark: a sweep by another run that starts now must not take the folder.
    mark_ = CreateFileA((folder + kMarkName).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (mark_ == INVALID_HANDLE_VALUE) {
      RemoveDirectoryA(folder.c_str());
      continue;
    }
    path_ = folder;
    return true;
  }
  return false;
}

void RunFolder::Remove() {
  if (mark_ != INVALID_HANDLE_VALUE) {
    CloseHandle(mark_);
    mark_ = INVALID_HANDLE_VALUE;
  }
  if (!path_.empty()) DeleteFolder(path_);
  path_.clear();
}

void RunFolder::RemoveAbandoned() {
  const std::string temp = TempFolder();
  if (temp.empty()) return;
  std::vector<std::string> abandoned;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((temp + kPrefix + "*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    const std::string folder = temp + entry.cFileName + "\\";
    if (GetFileAttributesA((folder + kMarkName).c_str()) != INVALID_FILE_ATTRIBUTES) continue;  // in use
    abandoned.push_back(folder);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  for (const std::string& folder : abandoned) DeleteFolder(folder);
}

const std::string& CurrentRunFolder() { return g_currentRunFolder; }
void SetCurrentRunFolder(const std::string& folder) { g_currentRunFolder = folder; }

}  // namespace sys
