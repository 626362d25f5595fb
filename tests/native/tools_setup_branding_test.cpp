// The kit's rewriting of a program's resources, on small programs made here: the
// resource section written anew behind the same address, the base relocations
// moved behind it, the headers and the checksum following; what cannot be
// rewritten refused; the version block's numbers and texts put in and read back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "payload/byte_source.h"
#include "payload/pe_image.h"
#include "pe_builder.h"
#include "tools/resource_section.h"
#include "tools/version_block.h"

using testing_support::PeImage;
using testing_support::U16;
using testing_support::U32;

namespace {

using Bytes = std::vector<unsigned char>;

constexpr size_t kOptional = 0x58;
constexpr size_t kSectionTable = kOptional + 0xE0;

uint32_t Get32(const Bytes& b, size_t at) { return payload::LoadU32(b.data() + at); }

// PeImage's one-section program with the alignments set, and a ".reloc" section
// of 0x300 bytes behind its resources, named by the base-relocation directory.
Bytes ProgramWithRelocations() {
  std::string pe = PeImage(0x14C, "INSTALL", 139, "payload");
  pe.replace(kOptional + 32, 8, U32(0x1000) + U32(0x200));  // SectionAlignment, FileAlignment
  pe.replace(kOptional + 56, 4, U32(0x3000));               // SizeOfImage
  pe.replace(kOptional + 64, 4, U32(1));                    // a checksum, to be kept right
  pe.replace(0x46, 2, U16(2));
  pe.replace(kOptional + 96 + 5 * 8, 8, U32(0x2000) + U32(0x300));
  const size_t reloc = kSectionTable + 40;
  pe.replace(reloc, 8, std::string(".reloc\0\0", 8));
  pe.replace(reloc + 8, 16, U32(0x300) + U32(0x2000) + U32(0x400) + U32(static_cast<uint32_t>(pe.size())));
  for (int i = 0; i < 0x300; ++i) pe += static_cast<char>(i * 7);
  pe.resize(pe.size() + 0x100, '\0');
  return Bytes(pe.begin(), pe.end());
}

kit::Resource Item(uint16_t type, uint16_t name, const std::string& data) {
  kit::Resource r;
  r.type.id = type;
  r.name.id = name;
  r.language = 0x0804;
  r.data = data;
  return r;
}

// The smallest version block: the root with its fixed part and nothing else.
std::string BareVersionBlock() {
  std::string key;
  for (char c : std::string("VS_VERSION_INFO")) key += U16(static_cast<unsigned char>(c));
  key += U16(0);
  std::string fixed = U32(0xFEEF04BD) + U32(0x10000) + U32(0x10000) + U32(0) + U32(0x10000) + std::string(32, '\0');
  std::string block = U16(0) + U16(52) + U16(0) + key;
  block.resize((block.size() + 3) / 4 * 4, '\0');
  block += fixed;
  block.replace(0, 2, U16(static_cast<uint16_t>(block.size())));
  return block;
}

}  // namespace

TEST(ResourceSection, RewrittenInPlaceWithTheRelocationsMovedBehind) {
  const Bytes program = ProgramWithRelocations();
  std::vector<kit::Resource> resources;
  ASSERT_EQ(kit::ReadResources(program, &resources), "");
  ASSERT_EQ(resources.size(), 1u);
  EXPECT_TRUE(resources[0].type.named);
  EXPECT_EQ(resources[0].data, "payload");
  // Three more of ids, one big enough to take the section past its old size.
  resources.push_back(Item(16, 1, BareVersionBlock()));
  resources.push_back(Item(3, 2, std::string(5000, 'b')));
  resources.push_back(Item(3, 1, "icon one"));

  Bytes out;
  ASSERT_EQ(kit::ReplaceResources(program, resources, &out), "");
  payload::MemorySource source(out.data(), out.size());
  payload::PeHeaders headers;
  ASSERT_EQ(payload::ReadPeHeaders(source, &headers), payload::PeResult::kOk);
  ASSERT_EQ(headers.sections.size(), 2u);
  const payload::PeSection& rsrc = headers.sections[0];
  const payload::PeSection& reloc = headers.sections[1];
  EXPECT_EQ(rsrc.virtualAddress, 0x1000u);
  EXPECT_GT(rsrc.virtualSize, 5000u);
  EXPECT_EQ(rsrc.rawSize % 0x200, 0u);
  EXPECT_EQ(reloc.virtualAddress, (0x1000 + rsrc.virtualSize + 0xFFF) / 0x1000 * 0x1000);
  EXPECT_EQ(reloc.rawOffset, rsrc.rawOffset + rsrc.rawSize);
  EXPECT_EQ(headers.directories[5].address, reloc.virtualAddress);
  EXPECT_EQ(headers.directories[2].size, rsrc.virtualSize);
  EXPECT_EQ(Get32(out, kOptional + 56), reloc.virtualAddress + 0x1000) << "SizeOfImage";
  EXPECT_EQ(Get32(out, kOptional + 64), kit::PeChecksum(out, kOptional + 64));
  for (uint32_t i = 0; i < 0x300; ++i)
    ASSERT_EQ(out[reloc.rawOffset + i], static_cast<unsigned char>(i * 7)) << "relocation byte " << i;

  // Read back in the loader's order: the named type first, then ids ascending.
  std::vector<payload::PeResourceEntry> listed;
  ASSERT_EQ(payload::ListPeResources(source, &listed), payload::PeResult::kOk);
  ASSERT_EQ(listed.size(), 4u);
  EXPECT_TRUE(listed[0].type.named);
  EXPECT_EQ(listed[0].type.name, u"INSTALL");
  EXPECT_EQ(listed[1].type.id, 3);
  EXPECT_EQ(listed[1].name.id, 1);
  EXPECT_EQ(listed[2].name.id, 2);
  EXPECT_EQ(listed[3].type.id, 16);
  EXPECT_EQ(std::string(out.begin() + listed[2].offset, out.begin() + listed[2].offset + listed[2].size),
            std::string(5000, 'b'));
  EXPECT_EQ(listed[2].offset % 8, (rsrc.rawOffset) % 8);
  uint64_t offset = 0;
  uint32_t size = 0;
  ASSERT_EQ(payload::FindPeResource(source, "INSTALL", 139, &offset, &size), payload::PeResult::kOk);
  EXPECT_EQ(std::string(out.begin() + offset, out.begin() + offset + size), "payload");
}

TEST(ResourceSection, WhatCannotBeRewrittenIsRefused) {
  const Bytes program = ProgramWithRelocations();
  std::vector<kit::Resource> resources;
  ASSERT_EQ(kit::ReadResources(program, &resources), "");
  struct Case {
    const char* what;
    void (*spoil)(Bytes&);
    const char* problem;
  } cases[] = {
      {"signed", [](Bytes& b) { payload::StoreU32(b.data() + kOptional + 96 + 4 * 8 + 4, 0x500); }, "is signed"},
      {"a package behind it", [](Bytes& b) { b.insert(b.end(), 0x200, 'x'); }, "bytes behind"},
      {"another section behind the resources",
       [](Bytes& b) { payload::StoreU32(b.data() + kOptional + 96 + 5 * 8, 0x7000); }, "a section other than"},
      {"no program", [](Bytes& b) { b[0] = 'X'; }, "not a Windows program"},
  };
  for (const Case& c : cases) {
    Bytes spoilt = program;
    c.spoil(spoilt);
    Bytes out;
    const std::string problem = kit::ReplaceResources(spoilt, resources, &out);
    EXPECT_NE(problem.find(c.problem), std::string::npos) << c.what << ": " << problem;
    EXPECT_TRUE(out.empty()) << c.what;
  }
  resources.push_back(resources[0]);
  Bytes out;
  EXPECT_NE(kit::ReplaceResources(program, resources, &out).find("two resources"), std::string::npos);
}

// A block without string tables gets one with the five texts; the numbers follow
// the version; a second edit replaces texts instead of adding them again; every
// cut-off block is refused, never read past its end.
TEST(VersionBlock, TextsAndNumbersGoInAndComeBack) {
  kit::VersionTexts texts;
  texts.versionParts = 3;
  texts.version[0] = 2, texts.version[1] = 1, texts.version[2] = 65535;
  texts.versionText = u"2.1.65535";
  texts.company = u"Zeta \u6253\u5370";
  texts.product = u"Zeta-80C Printer Driver Setup";
  std::string edited;
  ASSERT_TRUE(kit::EditVersionBlock(BareVersionBlock(), texts, &edited));
  kit::VersionTexts again;
  again.company = u"Zeta Printing";
  std::string twice;
  ASSERT_TRUE(kit::EditVersionBlock(edited, again, &twice));
  kit::VersionBlock block;
  ASSERT_TRUE(kit::ReadVersionBlock(twice, &block));
  EXPECT_EQ(block.fileVersion[0], 2u);
  EXPECT_EQ(block.fileVersion[1], 1u);
  EXPECT_EQ(block.fileVersion[2], 65535u);
  EXPECT_EQ(block.productVersion[2], 65535u);
  const std::vector<std::pair<std::u16string, std::u16string>> expected = {
      {u"CompanyName", u"Zeta Printing"},
      {u"FileDescription", u"Zeta-80C Printer Driver Setup"},
      {u"FileVersion", u"2.1.65535"},
      {u"ProductName", u"Zeta-80C Printer Driver Setup"},
      {u"ProductVersion", u"2.1.65535"},
  };
  EXPECT_EQ(block.strings, expected);
  for (size_t cut = 0; cut < twice.size(); ++cut) {
    std::string part = twice.substr(0, cut);
    EXPECT_FALSE(kit::ReadVersionBlock(part, &block)) << cut;
  }
  EXPECT_FALSE(kit::EditVersionBlock(std::string(200, '\x7F'), texts, &edited));
}
