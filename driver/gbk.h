// Code page 936 (GBK) byte classes: a lead byte starts a two-byte character, whose
// trail byte may look like any ASCII character from '@' on, '\' and '|' included.
#pragma once

namespace driver {

inline bool IsGbkLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
inline bool IsGbkTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }

}  // namespace driver
