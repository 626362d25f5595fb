#include "system/ansi_text_win.h"

#include <windows.h>

namespace sys {

bool IsSystemLeadByte(unsigned char byte) { return IsDBCSLeadByteEx(CP_ACP, byte) != FALSE; }

}  // namespace sys
