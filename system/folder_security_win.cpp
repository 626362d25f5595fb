#include "system/folder_security_win.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

namespace sys {

namespace {

// Protected (nothing inherited from above), inherited by what is made inside:
// SYSTEM and the Administrators full control, the Users read and execute.
constexpr char kProtectedDacl[] = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

}  // namespace

bool ProtectFolder(const std::string& folder) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kProtectedDacl, SDDL_REVISION_1, &descriptor, nullptr))
    return false;
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  bool done = false;
  if (GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) && present) {
    done = SetNamedSecurityInfoA(const_cast<char*>(folder.c_str()), SE_FILE_OBJECT,
                                 DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                 dacl, nullptr) == ERROR_SUCCESS;
  }
  LocalFree(descriptor);
  return done;
}

}  // namespace sys
