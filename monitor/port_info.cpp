#include "monitor/port_info.h"

#include <cstring>

namespace monitor {

namespace {

size_t StringBytes(const std::u16string& text) { return (text.size() + 1) * sizeof(char16_t); }

size_t RecordBytes(int level) {
  if (level == 1) return sizeof(PortInfo1);
  if (level == 2) return sizeof(PortInfo2);
  return 0;
}

// Copies text with its terminator just below *top and moves *top down to it.
char16_t* PlaceString(const std::u16string& text, uint8_t** top) {
  *top -= StringBytes(text);
  std::memcpy(*top, text.c_str(), StringBytes(text));
  return reinterpret_cast<char16_t*>(*top);
}

}  // namespace

size_t PortInfoBytes(int level, const PortListing& listing) {
  const size_t record = RecordBytes(level);
  if (record == 0) return 0;
  size_t total = 0;
  for (const std::u16string& port : listing.ports) {
    total += record + StringBytes(port);
    if (level == 2) total += StringBytes(listing.monitorName) + StringBytes(listing.description);
  }
  return total;
}

long PackPortInfo(int level, const PortListing& listing, uint8_t* buffer, size_t size) {
  const size_t needed = PortInfoBytes(level, listing);
  if (RecordBytes(level) == 0 || size < needed || (needed > 0 && !buffer)) return -1;
  uint8_t* top = buffer + needed;
  for (size_t i = 0; i < listing.ports.size(); ++i) {
    if (level == 1) {
      PortInfo1 record;
      record.name = PlaceString(listing.ports[i], &top);
      std::memcpy(buffer + i * sizeof record, &record, sizeof record);
    } else {
      PortInfo2 record;
      record.portName = PlaceString(listing.ports[i], &top);
      record.monitorName = PlaceString(listing.monitorName, &top);
      record.description = PlaceString(listing.description, &top);
      record.portType = kPortTypeWrite;
      record.reserved = 0;
      std::memcpy(buffer + i * sizeof record, &record, sizeof record);
    }
  }
  return static_cast<long>(listing.ports.size());
}

}  // namespace monitor
