// Whether a package is whole before anything is installed from it: the archive is
// found, every record lies inside it, and every entry decodes to its stream's end.
// The unattended installation refuses a damaged package up front instead of
// installing what the wizard would have installed of it.
#pragma once

#include <cstddef>
#include <string>

#include "payload/byte_source.h"

namespace payload {

enum class PayloadHealth {
  kWhole,
  kMissing,  // no archive in the carrier
  kDamaged,  // a record reaches past the archive or an entry does not decode
};

struct PayloadCheck {
  PayloadHealth health = PayloadHealth::kMissing;
  unsigned entries = 0;  // entries that decoded
  std::string problem;   // for a damaged package: which entry, and what was wrong
};

// The resource carrier (the heap copy of the INSTALL resource).
PayloadCheck CheckResourcePayload(const unsigned char* data, size_t size);

// The archive appended to a program file.
PayloadCheck CheckAppendedPayload(ByteSource& program);

}  // namespace payload
