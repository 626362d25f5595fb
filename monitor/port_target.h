// Where a port sends its jobs, as the port's registry key keeps it and the port
// dialog shows it:
//   tcp:HOST:PORT   a raw TCP connection (network receipt printers listen on 9100);
//                   HOST a name, an IPv4 address or an IPv6 address in brackets
//   C:\Folder       a folder (or \\server\share\folder): each job becomes one file
// Parsing is strict, so what is stored is always something StartDocPort can use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace monitor {

// A folder must leave room for a job's file name (job_file.h) within MAX_PATH (260),
// which the plain file functions of every Windows take.
constexpr size_t kMaxFolderChars = 150;
constexpr size_t kMaxHostChars = 253;

enum class TargetKind { kFolder, kTcp };

struct Target {
  TargetKind kind = TargetKind::kFolder;
  std::u16string folder;  // kFolder: backslashes only, no trailing one but a root's
  std::string host;       // kTcp: ASCII, brackets of an IPv6 address removed
  uint16_t port = 0;      // kTcp: 1..65535
};

enum class TargetError {
  kNone,
  kEmpty,
  kTooLong,       // a folder over kMaxFolderChars, a host over kMaxHostChars
  kBadHost,       // empty, or a character no host name or address has
  kBadPort,       // missing, not decimal, 0 or over 65535
  kNotAbsolute,   // neither a drive path (C:\...) nor a share (\\server\share)
  kBadCharacter,  // a control character or one of < > " | ? * (or ':' past the drive)
};

// Parses text (blanks around it ignored) into *target; on an error *target is left
// as it was.
TargetError ParseTarget(const std::u16string& text, Target* target);

// The canonical text of a target: what ParseTarget gives back unchanged.
std::u16string FormatTarget(const Target& target);

}  // namespace monitor
