// Builds small PE images byte by byte for the tests: the headers of an i386
// (PE32) or x86-64 (PE32+) file and one section, ".rsrc", holding a resource tree
// with one resource (type name -> integer id -> one language -> data).
#pragma once

#include <cstdint>
#include <string>

#include "archive_builder.h"

namespace testing_support {

// Where the parts of the image lie, for tests that damage one of them.
constexpr size_t kPeSection = 0x200;             // the section's raw data in the file
constexpr uint32_t kPeSectionRva = 0x1000;
constexpr size_t kPeTypeDirectory = kPeSection;  // root: one named entry
constexpr size_t kPeIdDirectory = kPeSection + 0x18;
constexpr size_t kPeLanguageDirectory = kPeSection + 0x30;
constexpr size_t kPeDataEntry = kPeSection + 0x48;  // RVA, size, code page, reserved
constexpr size_t kPeTypeName = kPeSection + 0x58;   // counted UTF-16LE
constexpr size_t kPeResourceData = kPeSection + 0x78;

inline std::string U16(uint16_t v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }

inline std::string PeImage(uint16_t machine, const std::string& type = "INSTALL", uint16_t id = 139,
                           const std::string& data = "payload") {
  const bool plus = machine == 0x8664;
  const uint16_t optionalSize = plus ? 0xF0 : 0xE0;
  const size_t optional = 0x58, directories = optional + (plus ? 112 : 96);
  std::string section;
  auto directory = [](uint16_t named, uint16_t ids) { return std::string(12, '\0') + U16(named) + U16(ids); };
  const uint32_t high = 0x80000000u;
  section += directory(1, 0) + U32(high | uint32_t(kPeTypeName - kPeSection)) +
             U32(high | uint32_t(kPeIdDirectory - kPeSection));
  section += directory(0, 1) + U32(id) + U32(high | uint32_t(kPeLanguageDirectory - kPeSection));
  section += directory(0, 1) + U32(0x0804) + U32(uint32_t(kPeDataEntry - kPeSection));
  section += U32(kPeSectionRva + uint32_t(kPeResourceData - kPeSection)) + U32(uint32_t(data.size())) + U32(0) + U32(0);
  section += U16(static_cast<uint16_t>(type.size()));
  for (char c : type) section += U16(static_cast<unsigned char>(c));
  section.resize(kPeResourceData - kPeSection, '\0');
  section += data;
  section.resize((section.size() + 0x1FF) / 0x200 * 0x200, '\0');

  std::string pe(kPeSection, '\0');
  pe[0] = 'M';
  pe[1] = 'Z';
  pe.replace(0x3C, 4, U32(0x40));
  pe.replace(0x40, 4, std::string("PE\0\0", 4));
  pe.replace(0x44, 2, U16(machine));
  pe.replace(0x46, 2, U16(1));  // one section
  pe.replace(0x54, 2, U16(optionalSize));
  pe.replace(optional, 2, U16(plus ? 0x20B : 0x10B));
  pe.replace(directories - 4, 4, U32(16));
  pe.replace(directories + 2 * 8, 8, U32(kPeSectionRva) + U32(uint32_t(kPeResourceData - kPeSection + data.size())));
  const size_t table = optional + optionalSize;
  pe.replace(table, 8, std::string(".rsrc\0\0\0", 8));
  pe.replace(table + 8, 16,
             U32(uint32_t(section.size())) + U32(kPeSectionRva) + U32(uint32_t(section.size())) + U32(kPeSection));
  return pe + section;
}

}  // namespace testing_support
