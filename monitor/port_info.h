// The buffer EnumPorts fills: an array of PORT_INFO_1 or PORT_INFO_2 records at its
// start, their strings packed from the end of the space they need downwards, as the
// spooler's own providers lay it out. The records here have the layout of
// PORT_INFO_1W / PORT_INFO_2W (monitor_win.cpp checks that at compile time), so the
// packing is portable and tested natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace monitor {

struct PortInfo1 {
  char16_t* name;
};

struct PortInfo2 {
  char16_t* portName;
  char16_t* monitorName;
  char16_t* description;
  uint32_t portType;
  uint32_t reserved;
};

constexpr uint32_t kPortTypeWrite = 1;  // PORT_TYPE_WRITE: jobs go out, nothing comes back

struct PortListing {
  std::vector<std::u16string> ports;
  std::u16string monitorName;  // level 2
  std::u16string description;  // level 2
};

// Bytes level 1 or 2 needs for listing; 0 for any other level.
size_t PortInfoBytes(int level, const PortListing& listing);

// Fills buffer (size bytes, suitably aligned for pointers) and returns the number of
// records, or -1 when level is not 1 or 2 or size is below PortInfoBytes. Nothing is
// written past PortInfoBytes.
long PackPortInfo(int level, const PortListing& listing, uint8_t* buffer, size_t size);

}  // namespace monitor
