#include "monitor/job_folder_win.h"

#include <aclapi.h>

#include <vector>

#include "monitor/nt_file_win.h"
#include "monitor/port_target.h"
#include "monitor/wide_win.h"

namespace monitor {

namespace {

// Both views of one folder on the way: its handle's (Windows opens a reparse point
// itself and reports it there) and its path's (Wine follows a symbolic link when it
// opens one and shows the link only in the path's attributes, 0x410).
DWORD CheckFolderStep(HANDLE handle, const std::wstring& path) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) return GetLastError();
  const DWORD byPath = GetFileAttributesW(path.c_str());
  if (byPath == INVALID_FILE_ATTRIBUTES) return GetLastError();
  if ((info.dwFileAttributes | byPath) & FILE_ATTRIBUTE_REPARSE_POINT) return kErrorLinkInFolderPath;
  return info.dwFileAttributes & byPath & FILE_ATTRIBUTE_DIRECTORY ? ERROR_SUCCESS : ERROR_DIRECTORY;
}

// The account this process runs as: on Windows the spooler's, SYSTEM.
bool IsProcessUser(PSID sid) {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
  const UniqueHandle token(raw);
  DWORD bytes = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &bytes);
  if (bytes < sizeof(TOKEN_USER)) return false;
  std::vector<BYTE> user(bytes);
  if (!GetTokenInformation(token.get(), TokenUser, user.data(), bytes, &bytes)) return false;
  return EqualSid(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, sid) != FALSE;
}

// A job folder's owner must be SYSTEM, Administrators or the account the monitor
// runs as (SYSTEM again on Windows). Wine keeps no owner of a file's own and reports
// the Unix owner of the file: its own user's account for whatever it made, another
// account (S-1-5-7) for a file of another Unix user; there the spooler runs inside
// the printing program, as Wine's one user.
DWORD CheckOwner(HANDLE folder, const PrivateSecurity& security) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD got =
      GetSecurityInfo(folder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr, &descriptor);
  if (got != ERROR_SUCCESS) return got;
  const bool trusted = owner && (EqualSid(owner, security.system()) || EqualSid(owner, security.administrators()) ||
                                 IsProcessUser(owner));
  LocalFree(descriptor);
  return trusted ? ERROR_SUCCESS : kErrorUntrustedOwner;
}

}  // namespace

PrivateSecurity::PrivateSecurity() {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  if (!AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &system_) ||
      !AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                &administrators_))
    return;
  const DWORD bytes = sizeof(ACL) + 2 * sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(system_) + GetLengthSid(administrators_);
  dacl_ = static_cast<PACL>(LocalAlloc(LPTR, bytes));
  // Folders hand the entries on to their files and subfolders.
  const DWORD inherit = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
  ok_ = dacl_ && InitializeAcl(dacl_, bytes, ACL_REVISION) &&
        AddAccessAllowedAceEx(dacl_, ACL_REVISION, inherit, FILE_ALL_ACCESS, system_) &&
        AddAccessAllowedAceEx(dacl_, ACL_REVISION, inherit, FILE_ALL_ACCESS, administrators_) &&
        InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
        SetSecurityDescriptorDacl(&descriptor_, TRUE, dacl_, FALSE) &&
        SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
}

PrivateSecurity::~PrivateSecurity() {
  if (dacl_) LocalFree(dacl_);
  if (administrators_) FreeSid(administrators_);
  if (system_) FreeSid(system_);
}

PSECURITY_DESCRIPTOR PrivateSecurity::get(bool withOwner) {
  SetSecurityDescriptorOwner(&descriptor_, withOwner ? administrators_ : nullptr, FALSE);
  return &descriptor_;
}

namespace {

// The walk of OpenJobFolder. forRemoval: nothing is made, and the folder's handle
// may delete it.
DWORD WalkToJobFolder(const std::u16string& folder, bool forRemoval, UniqueHandle* handle) {
  const FolderSteps split = SplitFolder(folder);
  if (forRemoval && split.steps.empty()) return ERROR_ACCESS_DENIED;
  if (split.root.empty()) return ERROR_BAD_PATHNAME;
  PrivateSecurity security;
  if (!security.ok()) return ERROR_NOT_ENOUGH_MEMORY;
  // The root ("C:\", "\\server\share\") is where the walk starts: what a drive
  // letter or a share stands for is the administrator's.
  std::wstring path = ToWide(split.root);
  if (path.back() == L'\\') path.pop_back();
  UniqueHandle current(CreateFileW((path + L"\\").c_str(), FILE_TRAVERSE | FILE_READ_ATTRIBUTES | READ_CONTROL,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION,
                                   nullptr));
  if (!current) return GetLastError();
  for (size_t i = 0; i < split.steps.size(); ++i) {
    const std::u16string& step = split.steps[i];
    path += L"\\" + ToWide(step);
    NtOpen how;
    how.access = FILE_TRAVERSE | FILE_READ_ATTRIBUTES | READ_CONTROL;
    if (forRemoval && i + 1 == split.steps.size()) how.access |= DELETE;
    how.disposition = forRemoval ? NtDisposition::kOpen : NtDisposition::kOpenOrCreate;
    how.directory = true;
    how.security = security.get(true);
    HANDLE raw = nullptr;
    DWORD opened = OpenInFolder(current.get(), ToWide(step), how, &raw);
    if (opened == ERROR_INVALID_OWNER) {
      how.security = security.get(false);
      opened = OpenInFolder(current.get(), ToWide(step), how, &raw);
    }
    if (opened != ERROR_SUCCESS) return opened;
    UniqueHandle next(raw);
    const DWORD checked = CheckFolderStep(next.get(), path);
    if (checked != ERROR_SUCCESS) return checked;
    current = std::move(next);
  }
  const DWORD owner = CheckOwner(current.get(), security);
  if (owner != ERROR_SUCCESS) return owner;
  *handle = std::move(current);
  return ERROR_SUCCESS;
}

}  // namespace

DWORD OpenJobFolder(const std::u16string& folder, UniqueHandle* handle) {
  return WalkToJobFolder(folder, false, handle);
}

DWORD RemoveEmptyJobFolder(const std::u16string& folder) {
  UniqueHandle handle;
  const DWORD opened = WalkToJobFolder(folder, true, &handle);
  if (opened != ERROR_SUCCESS) return opened;
  // A folder that is not empty refuses the deletion (ERROR_DIR_NOT_EMPTY).
  return DeleteOnClose(handle.get());
}

}  // namespace monitor
