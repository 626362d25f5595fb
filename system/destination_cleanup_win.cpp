#include "system/destination_cleanup_win.h"

#include <windows.h>

#include <string>

namespace sys {

namespace {

// A search handle from FindFirstFileA, closed with FindClose.
class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  ~FindHandle() {
    if (valid()) FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

void CleanDestinationFolder(const char* destinationFolder, const PlacedFiles& placed) {
  const std::string folder = destinationFolder;
  WIN32_FIND_DATAA entry;
  FindHandle search(FindFirstFileA((folder + "\\*.*").c_str(), &entry));
  if (!search.valid()) return;
  do {
    bool isDirectory = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (ClassifyEntry(entry.cFileName, isDirectory) != CleanupVerdict::kDelete) continue;
    if (!placed.Contains(entry.cFileName)) continue;
    DeleteFileA((folder + "\\" + entry.cFileName).c_str());  // a file in use stays
  } while (FindNextFileA(search.get(), &entry));
}

void CleanDestinationFolder(const char* destinationFolder, const SharedPlacedFiles& placed) {
  CleanDestinationFolder(destinationFolder, placed.Snapshot());
}

}  // namespace sys
