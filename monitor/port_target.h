// Where a port sends its jobs, as the port's registry key keeps it and the port
// dialog shows it:
//   tcp:HOST:PORT   a raw TCP connection (network receipt printers listen on 9100);
//                   HOST a name, an IPv4 address or an IPv6 address in brackets
//   COMn[:BAUD]     a serial port (n 1 to 256) at BAUD (a standard speed; 19200 when
//                   left out), 8 data bits, no parity, 1 stop bit, RTS/CTS handshake
//   C:\Folder       a folder (or \\server\share\folder): each job becomes one file
// Parsing is strict, so what is stored is always something StartDocPort can use: a
// folder is a plain path to a folder and nothing else (no device, no pipe, no
// reserved device name, no "." or ".." step).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace monitor {

// A folder must leave room for a job's file name (job_file.h) within MAX_PATH (260),
// which the plain file functions of every Windows take.
constexpr size_t kMaxFolderChars = 150;
constexpr size_t kMaxHostChars = 253;
constexpr unsigned kMaxComPort = 256;
// The line the receipt printers expect unless the target names another speed.
constexpr uint32_t kDefaultBaud = 19200;

enum class TargetKind { kFolder, kTcp, kSerial };

struct Target {
  TargetKind kind = TargetKind::kFolder;
  std::u16string folder;  // kFolder: backslashes only, no trailing one but a root's
  std::string host;       // kTcp: ASCII, brackets of an IPv6 address removed
  uint16_t port = 0;      // kTcp: 1..65535
  unsigned comPort = 0;   // kSerial: 1..kMaxComPort
  uint32_t baud = 0;      // kSerial: a standard speed
};

enum class TargetError {
  kNone,
  kEmpty,
  kTooLong,        // a folder over kMaxFolderChars, a host over kMaxHostChars
  kBadHost,        // empty, or a character no host name or address has
  kBadPort,        // missing, not decimal, 0 or over 65535
  kNotAbsolute,    // neither a drive path (C:\...) nor a share (\\server\share)
  kBadCharacter,   // a control character or one of < > " | ? * (or ':' past the drive)
  kBadSerial,      // COMn with n outside 1..256 or a leading 0, or a speed no serial port has
  kDevicePath,     // \\.\..., \\?\..., \??\... or GLOBALROOT: a device, a pipe, a disk
  kReservedName,   // a step that is a device name: CON, PRN, AUX, NUL, COM0-9, LPT0-9, ...
  kBadStep,        // an empty step, ".", "..", or one ending in a dot or a blank
};

// Parses text (blanks around it ignored) into *target; on an error *target is left
// as it was.
TargetError ParseTarget(const std::u16string& text, Target* target);

// The canonical text of a target: what ParseTarget gives back unchanged.
std::u16string FormatTarget(const Target& target);

// The speeds a serial port's driver takes (the CBR_ values from 110 to 256000).
bool IsStandardBaud(uint32_t baud);

// A folder ParseTarget accepted, as its root (C:\ or \\server\share) and the names of
// the folders below it, outermost first.
struct FolderSteps {
  std::u16string root;
  std::vector<std::u16string> steps;
};
FolderSteps SplitFolder(const std::u16string& folder);

}  // namespace monitor
