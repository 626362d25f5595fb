// Job folders SYSTEM can trust. The spooler runs the monitor as LocalSystem, and
// every user who may print chooses the bytes and the document name of a job; a job
// folder that a user could replace by a junction or a symbolic link would let them
// have SYSTEM write those bytes anywhere. So the monitor makes a folder target (and
// its missing parents) itself, owned by Administrators and open to SYSTEM and
// Administrators only (a protected DACL: nothing inherited), and at every job walks
// the folder's path from its root one folder at a time, each opened relative to the
// one before it: a reparse point (junction, symbolic link, mount point) anywhere
// below the root, or a job folder whose owner is neither SYSTEM nor Administrators,
// refuses the job. The job's file is then made relative to the handle of the folder
// that was checked.
#pragma once

#include <windows.h>

#include <string>

#include "app/unique_handle_win.h"

namespace monitor {

// A security descriptor for what the monitor makes: owner Administrators, a
// protected DACL with full control for SYSTEM and Administrators and nothing else.
// Folders pass it on to what is made in them; job files get it too, so no ordinary
// user reads a receipt or makes a file under a job's name.
class PrivateSecurity {
 public:
  PrivateSecurity();
  ~PrivateSecurity();
  PrivateSecurity(const PrivateSecurity&) = delete;
  PrivateSecurity& operator=(const PrivateSecurity&) = delete;

  bool ok() const { return ok_; }
  // withOwner false: the same without the owner, for a caller whose token may not
  // name Administrators as owner (then its own default owner is used).
  PSECURITY_DESCRIPTOR get(bool withOwner = true);
  PSID system() const { return system_; }
  PSID administrators() const { return administrators_; }

 private:
  SECURITY_DESCRIPTOR descriptor_;
  PSID system_ = nullptr;
  PSID administrators_ = nullptr;
  PACL dacl_ = nullptr;
  bool ok_ = false;
};

// What refuses a job folder.
constexpr DWORD kErrorLinkInFolderPath = ERROR_CANT_ACCESS_FILE;  // a reparse point below the root
constexpr DWORD kErrorUntrustedOwner = ERROR_ACCESS_DENIED;       // an owner other than SYSTEM or Administrators

// Opens folder (a folder target ParseTarget accepted) as a job folder: makes what is
// missing of it with PrivateSecurity, refuses it as above, and leaves its handle in
// *handle (traverse and read access; files are made in it with OpenInFolder).
DWORD OpenJobFolder(const std::u16string& folder, UniqueHandle* handle);

// Removes folder, checked as a job folder is (so a link put in its place is never
// followed), when it holds nothing; a folder with files in it stays, and so does a
// drive's or a share's root.
DWORD RemoveEmptyJobFolder(const std::u16string& folder);

}  // namespace monitor
