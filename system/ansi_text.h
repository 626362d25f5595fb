// Byte-string helpers for ANSI file names and paths. Names reach us in the system
// code page, which on the machines this installer is made for is a double-byte one
// (GBK): a lead byte 0x81..0xFE is followed by a trail byte that may look like an
// ASCII letter or even a backslash, and must never be read as one.
#pragma once

#include <string>

namespace sys {

// Whether a byte starts a two-byte character of the code page in use.
using LeadByteTest = bool (*)(unsigned char byte);

// The lead-byte range of GBK (code page 936).
bool IsGbkLeadByte(unsigned char byte);

// The name with ASCII letters in lower case; both bytes of a two-byte character are
// copied unchanged. Two names that fold to the same text are the same file name to
// Windows; names that differ only outside ASCII fold apart, so a caller that deletes
// what matches errs on the side of leaving a file alone.
std::string FoldFileName(const char* name, LeadByteTest isLeadByte = IsGbkLeadByte);

// ASCII case-insensitive equality (enough for names that are ASCII themselves).
bool EqualsIgnoringAsciiCase(const char* a, const char* b);

// Everything before the last '\' that is a separator of its own (not the second byte
// of a two-byte character); empty when there is none.
std::string FolderOfPath(const char* path, LeadByteTest isLeadByte = IsGbkLeadByte);

}  // namespace sys
