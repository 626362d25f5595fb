// The lead-byte rule of the code page this process runs in (the system's ANSI code
// page): GBK on a Chinese system, none at all on a Western one, Shift-JIS on a
// Japanese one. Paths typed or browsed by the user are in that code page.
#pragma once

namespace sys {

// Whether byte opens a two-byte character of the ANSI code page in use.
bool IsSystemLeadByte(unsigned char byte);

}  // namespace sys
