#include "monitor/nt_file_win.h"

#include <winternl.h>

#include <cstddef>
#include <cstring>
#include <vector>

namespace monitor {

namespace {

using NtCreateFileFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, PLARGE_INTEGER,
                                        ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using NtSetInformationFileFn = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG);
using RtlNtStatusToDosErrorFn = ULONG(NTAPI*)(NTSTATUS);

constexpr NTSTATUS kObjectNameCollision = static_cast<NTSTATUS>(0xC0000035);
constexpr ULONG kFileRenameInformation = 10;
constexpr ULONG kFileDispositionInformation = 13;
constexpr ULONG_PTR kFileCreated = 2;  // IO_STATUS_BLOCK.Information after a create

template <typename Fn>
Fn Ntdll(const char* name) {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(ntdll ? GetProcAddress(ntdll, name) : nullptr));
}

DWORD ToWin32(NTSTATUS status) {
  if (status >= 0) return ERROR_SUCCESS;
  if (status == kObjectNameCollision) return ERROR_ALREADY_EXISTS;
  const auto convert = Ntdll<RtlNtStatusToDosErrorFn>("RtlNtStatusToDosError");
  const DWORD error = convert ? convert(status) : ERROR_GEN_FAILURE;
  return error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : error;
}

ULONG Disposition(NtDisposition disposition) {
  switch (disposition) {
    case NtDisposition::kCreate:
      return FILE_CREATE;
    case NtDisposition::kOpenOrCreate:
      return 3;  // FILE_OPEN_IF
    case NtDisposition::kOpen:
      break;
  }
  return FILE_OPEN;
}

}  // namespace

DWORD OpenInFolder(HANDLE folder, const std::wstring& name, const NtOpen& how, HANDLE* handle, bool* created) {
  *handle = nullptr;
  if (created) *created = false;
  const auto create = Ntdll<NtCreateFileFn>("NtCreateFile");
  if (!create) return ERROR_PROC_NOT_FOUND;
  if (name.empty() || name.size() > 255 || name.find(L'\\') != std::wstring::npos) return ERROR_INVALID_NAME;
  UNICODE_STRING text;
  text.Buffer = const_cast<PWSTR>(name.c_str());
  text.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  text.MaximumLength = static_cast<USHORT>(text.Length + sizeof(wchar_t));
  // What CreateFile's SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION asks: should
  // the name ever reach a pipe, its server may learn who we are, not act as us.
  SECURITY_QUALITY_OF_SERVICE quality = {sizeof quality, SecurityIdentification, SECURITY_STATIC_TRACKING, FALSE};
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder, how.security);
  attributes.SecurityQualityOfService = &quality;
  IO_STATUS_BLOCK io = {};
  const ULONG options = (how.directory ? FILE_DIRECTORY_FILE : FILE_NON_DIRECTORY_FILE) |
                        FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT;
  HANDLE opened = nullptr;
  const NTSTATUS status =
      create(&opened, how.access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL,
             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, Disposition(how.disposition), options, nullptr, 0);
  if (status < 0) return ToWin32(status);
  *handle = opened;
  if (created) *created = io.Information == kFileCreated;
  return ERROR_SUCCESS;
}

DWORD RenameInFolder(HANDLE file, HANDLE folder, const std::wstring& name) {
  const auto set = Ntdll<NtSetInformationFileFn>("NtSetInformationFile");
  if (!set) return ERROR_PROC_NOT_FOUND;
  if (name.empty() || name.find(L'\\') != std::wstring::npos) return ERROR_INVALID_NAME;
  const size_t nameBytes = name.size() * sizeof(wchar_t);
  std::vector<BYTE> block(offsetof(FILE_RENAME_INFORMATION, FileName) + nameBytes + sizeof(wchar_t), 0);
  auto* info = reinterpret_cast<FILE_RENAME_INFORMATION*>(block.data());
  info->ReplaceIfExists = FALSE;
  info->RootDirectory = folder;
  info->FileNameLength = static_cast<ULONG>(nameBytes);
  std::memcpy(info->FileName, name.c_str(), nameBytes);
  IO_STATUS_BLOCK io = {};
  return ToWin32(set(file, &io, info, static_cast<ULONG>(block.size()), kFileRenameInformation));
}

DWORD DeleteOnClose(HANDLE file) {
  const auto set = Ntdll<NtSetInformationFileFn>("NtSetInformationFile");
  if (!set) return ERROR_PROC_NOT_FOUND;
  BOOLEAN remove = TRUE;  // FILE_DISPOSITION_INFORMATION
  IO_STATUS_BLOCK io = {};
  return ToWin32(set(file, &io, &remove, sizeof remove, kFileDispositionInformation));
}

}  // namespace monitor
