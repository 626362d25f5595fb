// Files made and named relative to a folder the monitor holds open, so that nothing
// swapped in under the folder's path between a check and a write can redirect them:
// ntdll's NtCreateFile (RootDirectory: the folder's handle) and NtSetInformationFile
// (a rename inside that folder, a deletion), looked up at run time. Every Windows
// from XP on has both; where they are missing the calls fail and nothing is written.
// Results are Win32 error codes.
#pragma once

#include <windows.h>

#include <string>

namespace monitor {

enum class NtDisposition { kOpen, kCreate, kOpenOrCreate };

struct NtOpen {
  ACCESS_MASK access = 0;
  NtDisposition disposition = NtDisposition::kOpen;
  bool directory = false;          // a folder, else a file
  PSECURITY_DESCRIPTOR security = nullptr;  // for what is created
};

// Opens name (one name, no backslash) inside folder, never following a reparse point
// at name itself (the link is opened, not its target), with the caller's identity
// offered at identification level only. *created tells whether kOpenOrCreate made it.
DWORD OpenInFolder(HANDLE folder, const std::wstring& name, const NtOpen& how, HANDLE* handle,
                   bool* created = nullptr);

// Gives file (opened with DELETE access) the name name in folder; never replaces a
// file there: ERROR_ALREADY_EXISTS when the name is taken.
DWORD RenameInFolder(HANDLE file, HANDLE folder, const std::wstring& name);

// Deletes file (opened with DELETE access) when its last handle closes.
DWORD DeleteOnClose(HANDLE file);

}  // namespace monitor
