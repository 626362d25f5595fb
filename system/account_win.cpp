#include "system/account_win.h"

#include <windows.h>

#include <vector>

namespace sys {

bool RunsAsLocalSystem() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size ? size : 1);
  bool system = false;
  if (size && GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID localSystem = nullptr;
    if (AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &localSystem)) {
      system = EqualSid(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, localSystem) != FALSE;
      FreeSid(localSystem);
    }
  }
  CloseHandle(token);
  return system;
}

}  // namespace sys
