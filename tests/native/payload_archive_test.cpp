// The entry walk over both carriers, the INSTALL resource read out of a program
// file, and how both treat files they cannot trust.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "archive_builder.h"
#include "payload/archive.h"
#include "payload/pe_image.h"
#include "pe_builder.h"

using namespace payload;
using testing_support::ArchiveBuilder;
using testing_support::Deflate;
using testing_support::Record;
using testing_support::U32;

namespace {

struct Walked {
  WalkResult result;
  std::vector<std::string> names;
  std::vector<uint32_t> packed;
};

Walked WalkAll(ByteSource& source, const ArchiveLayout& layout) {
  Walked w;
  w.result = WalkEntries(source, layout, [&](const PackageEntry& e) {
    w.names.push_back(e.name);
    w.packed.push_back(e.packedLength);
    return true;
  });
  return w;
}

Walked WalkResource(const std::string& bytes) {
  MemorySource source(bytes.data(), bytes.size());
  ArchiveLayout layout;
  EXPECT_EQ(LocateResourceArchive(source, &layout), LocateResult::kFound);
  return WalkAll(source, layout);
}

// A program image just big enough for the walker's PE checks, with room for the
// certificate table entry to be filled in later.
constexpr size_t kSecurityEntry = 0x58 + 96 + 4 * 8;
std::string FakeProgram() {
  std::string pe(0x200, '\0');
  pe[0] = 'M';
  pe[1] = 'Z';
  pe.replace(0x3C, 4, U32(0x40));
  pe.replace(0x40, 4, std::string("PE\0\0", 4));
  pe[0x54] = static_cast<char>(0xE0);  // the optional header's size: PE32 with 16 directories
  pe[0x58] = 0x0B;  // PE32 optional header
  pe[0x59] = 0x01;
  pe.replace(0x58 + 92, 4, U32(16));
  return pe;
}

// What signing does: pad to 8 bytes with zeros, append the table, point at it.
std::string Sign(std::string file, size_t tableSize = 24) {
  while (file.size() % 8 != 0) file.push_back('\0');
  uint32_t table = static_cast<uint32_t>(file.size());
  file += std::string(tableSize, '\x5A');
  file.replace(kSecurityEntry, 4, U32(table));
  file.replace(kSecurityEntry + 4, 4, U32(static_cast<uint32_t>(tableSize)));
  return file;
}

}  // namespace

TEST(PayloadWalk, ResourceEntriesComeInStoredOrderWithCaseKept) {
  std::string bytes = ArchiveBuilder().Add("Left.bmp", "BM").Add("RILLO80.gpd", "*GPD").Add("z", "").Resource();
  Walked w = WalkResource(bytes);
  EXPECT_EQ(w.result, WalkResult::kComplete);
  EXPECT_EQ(w.names, (std::vector<std::string>{"Left.bmp", "RILLO80.gpd", "z"}));
}

TEST(PayloadWalk, EmptyArchiveVisitsNothing) {
  Walked w = WalkResource(U32(0));
  EXPECT_EQ(w.result, WalkResult::kComplete);
  EXPECT_TRUE(w.names.empty());
}

TEST(PayloadWalk, VisitorCanStopTheWalk) {
  std::string bytes = ArchiveBuilder().Add("a", "1").Add("b", "2").Add("c", "3").Resource();
  MemorySource source(bytes.data(), bytes.size());
  ArchiveLayout layout;
  ASSERT_EQ(LocateResourceArchive(source, &layout), LocateResult::kFound);
  int seen = 0;
  EXPECT_EQ(WalkEntries(source, layout, [&](const PackageEntry&) { return ++seen < 2; }), WalkResult::kStopped);
  EXPECT_EQ(seen, 2);
}

// Each damaged archive keeps the good records in front of the damage and stops there.
TEST(PayloadWalk, StopsAtTheFirstRecordItCannotTrust) {
  std::string good = Record("good.txt", Deflate("fine"));
  struct Case {
    const char* what;
    std::string tail;
    uint32_t count;
    WalkResult expected;
  } cases[] = {
      {"count larger than the records", "", 5, WalkResult::kMalformed},
      {"packed length past the end", U32(1) + U32(1000) + "x" + "abc", 2, WalkResult::kMalformed},
      {"name length past the end", U32(5000) + U32(0) + "abc", 2, WalkResult::kMalformed},
      {"lengths that wrap around", U32(0xFFFFFFF8u) + U32(0x10u) + "abcdefgh", 2, WalkResult::kMalformed},
      {"half a record header", std::string("\x03\x00\x00", 3), 2, WalkResult::kMalformed},
      {"name of 256 bytes", Record(std::string(256, 'n'), "zz"), 2, WalkResult::kMalformed},
      {"NUL inside the name", Record(std::string("a\0b", 3), "zz"), 2, WalkResult::kMalformed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Walked w = WalkResource(U32(c.count) + good + c.tail);
    EXPECT_EQ(w.result, c.expected);
    EXPECT_EQ(w.names, std::vector<std::string>{"good.txt"});
  }
}

TEST(PayloadWalk, NameOf255BytesIsAccepted) {
  std::string name(255, 'n');
  Walked w = WalkResource(ArchiveBuilder().Add(name, "x").Resource());
  EXPECT_EQ(w.result, WalkResult::kComplete);
  ASSERT_EQ(w.names.size(), 1u);
  EXPECT_EQ(w.names[0], name);
}

TEST(PayloadWalk, ResourceShorterThanItsCountIsNoArchive) {
  std::string bytes = "\x01\x00";
  MemorySource source(bytes.data(), bytes.size());
  ArchiveLayout layout;
  EXPECT_EQ(LocateResourceArchive(source, &layout), LocateResult::kNoArchive);
}

TEST(PayloadNames, OnlyPlainFileNamesMayBeWritten) {
  struct {
    const char* name;
    bool plain;
  } cases[] = {{"UNIDRV.DLL", true}, {"Left.bmp", true}, {"a..b", true}, {"", false}, {".", false},
               {"..", false}, {"..\\evil.dll", false}, {"sub/file", false}, {"C:evil", false},
               {"\\\\server\\share", false}, {"...", true}};
  for (const auto& c : cases) EXPECT_EQ(IsPlainFileName(c.name), c.plain) << '"' << c.name << '"';
}

TEST(PayloadNames, LookupIgnoresCaseOfLettersOnly) {
  EXPECT_TRUE(NamesEqualIgnoringCase("Left.bmp", "left.bmp"));
  EXPECT_TRUE(NamesEqualIgnoringCase("LICENSE_EN.TXT", "License_en.txt"));
  EXPECT_FALSE(NamesEqualIgnoringCase("Left.bmp", "Left.bm"));
  EXPECT_FALSE(NamesEqualIgnoringCase("a[", "a{"));  // '[' + 32 is '{', not a letter
}

TEST(AppendedArchive, FoundThroughTheTrailer) {
  ArchiveBuilder archive;
  archive.Add("InstallConfig_en.txt", "cfg").Add("Logo.bmp", "BM..");
  std::string program = FakeProgram();
  std::string file = archive.Appended(program);
  MemorySource source(file.data(), file.size());
  ArchiveLayout layout;
  ASSERT_EQ(LocateAppendedArchive(source, &layout), LocateResult::kFound);
  EXPECT_EQ(layout.count, 2u);
  EXPECT_EQ(layout.archiveOffset, program.size());
  EXPECT_EQ(layout.progressLength, file.size() - program.size());
  Walked w = WalkAll(source, layout);
  EXPECT_EQ(w.result, WalkResult::kComplete);
  EXPECT_EQ(w.names, (std::vector<std::string>{"InstallConfig_en.txt", "Logo.bmp"}));
}

TEST(AppendedArchive, LongHeaderIsSkippedUnread) {
  std::string file = ArchiveBuilder().Add("a.txt", "x").Appended(FakeProgram(), std::string(5000, 'H'));
  MemorySource source(file.data(), file.size());
  ArchiveLayout layout;
  ASSERT_EQ(LocateAppendedArchive(source, &layout), LocateResult::kFound);
  EXPECT_EQ(WalkAll(source, layout).names, std::vector<std::string>{"a.txt"});
}

TEST(AppendedArchive, BadTrailersFindNothing) {
  std::string program = FakeProgram();
  struct Case {
    const char* what;
    std::string file;
  } cases[] = {
      {"shorter than a trailer", "MZ"},
      {"count zero", program + U32(0) + U32(0) + U32(0)},
      {"offset beyond the file", program + U32(0) + U32(1) + U32(0x7FFFFFFF)},
      {"offset inside the trailer", program + U32(1) + U32(static_cast<uint32_t>(program.size() + 4))},
      {"header running into the trailer", program + U32(100) + U32(1) + U32(static_cast<uint32_t>(program.size()))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MemorySource source(c.file.data(), c.file.size());
    ArchiveLayout layout;
    EXPECT_EQ(LocateAppendedArchive(source, &layout), LocateResult::kNoArchive);
  }
}

// Signing puts 0-7 zero bytes and the certificate table behind the trailer; the
// header length moves the archive's end through every padding width.
TEST(AppendedArchive, FoundInASignedProgramWhateverThePadding) {
  for (int headerLength = 0; headerLength < 8; ++headerLength) {
    SCOPED_TRACE(headerLength);
    ArchiveBuilder archive;
    archive.Add("License_en.txt", "text").Add("UNIDRV.DLL", std::string(3000, 'u'));
    std::string program = FakeProgram();
    std::string file = Sign(archive.Appended(program, std::string(headerLength, 'h')));
    MemorySource source(file.data(), file.size());
    ArchiveLayout layout;
    ASSERT_EQ(LocateAppendedArchive(source, &layout), LocateResult::kFound);
    EXPECT_EQ(layout.archiveOffset, program.size());
    Walked w = WalkAll(source, layout);
    EXPECT_EQ(w.result, WalkResult::kComplete);
    EXPECT_EQ(w.names, (std::vector<std::string>{"License_en.txt", "UNIDRV.DLL"}));
  }
}

TEST(AppendedArchive, SignedProgramWithoutArchiveFindsNothing) {
  std::string file = Sign(FakeProgram());
  MemorySource source(file.data(), file.size());
  ArchiveLayout layout;
  EXPECT_EQ(LocateAppendedArchive(source, &layout), LocateResult::kNoArchive);
}

TEST(AppendedArchive, RecordsReachingIntoTheTrailerStopTheWalk) {
  std::string program = FakeProgram();
  // One good record, then one whose packed length claims the trailer too.
  std::string records = Record("ok", Deflate("x")) + U32(1) + U32(12) + "b" + "abcd";
  std::string file = program + U32(0) + records + U32(2) + U32(static_cast<uint32_t>(program.size()));
  MemorySource source(file.data(), file.size());
  ArchiveLayout layout;
  ASSERT_EQ(LocateAppendedArchive(source, &layout), LocateResult::kFound);
  Walked w = WalkAll(source, layout);
  EXPECT_EQ(w.result, WalkResult::kMalformed);
  EXPECT_EQ(w.names, std::vector<std::string>{"ok"});
}

TEST(PeResource, FoundByTypeNameIdAndFirstLanguageInBothFormats) {
  for (uint16_t machine : {kMachineI386, kMachineAmd64}) {
    SCOPED_TRACE(machine);
    std::string image = testing_support::PeImage(machine, "INSTALL", 139, "the package");
    MemorySource source(image.data(), image.size());
    PeHeaders headers;
    ASSERT_EQ(ReadPeHeaders(source, &headers), PeResult::kOk);
    EXPECT_EQ(headers.machine, machine);
    uint64_t offset = 0;
    uint32_t size = 0;
    ASSERT_EQ(FindPeResource(source, "install", 139, &offset, &size), PeResult::kOk);
    EXPECT_EQ(image.substr(offset, size), "the package");
  }
}

TEST(PeResource, WhatIsMissingOrDamagedIsNeverRead) {
  using namespace testing_support;
  struct Case {
    const char* what;
    std::function<void(std::string&)> change;
    PeResult expected;
  };
  const Case cases[] = {
      {"another type name", [](std::string& pe) { pe[kPeTypeName + 2 + 2 * 6] = 'X'; }, PeResult::kNotFound},
      {"another id", [](std::string& pe) { pe.replace(kPeIdDirectory + 16, 4, U32(140)); }, PeResult::kNotFound},
      {"no resource directory", [](std::string& pe) { pe.replace(0x58 + 96 + 16, 8, std::string(8, '\0')); },
       PeResult::kNotFound},
      {"text, not a program", [](std::string& pe) { pe[0] = 'P'; }, PeResult::kNotPe},
      {"no PE signature", [](std::string& pe) { pe[0x41] = 'X'; }, PeResult::kMalformed},
      {"PE header past the end", [](std::string& pe) { pe.replace(0x3C, 4, U32(0xFFFFFFF0u)); },
       PeResult::kMalformed},
      {"section table past the end", [](std::string& pe) { pe.replace(0x46, 2, U16(0xFFFF)); },
       PeResult::kMalformed},
      {"more entries than the section holds", [](std::string& pe) { pe.replace(kPeTypeDirectory + 14, 2, U16(0xFFFF)); },
       PeResult::kMalformed},
      {"type entry that is no directory", [](std::string& pe) { pe[kPeTypeDirectory + 16 + 7] = 0; },
       PeResult::kMalformed},
      {"name string outside the section", [](std::string& pe) { pe.replace(kPeTypeDirectory + 16, 4, U32(0xFFFFFFF0u)); },
       PeResult::kNotFound},
      {"data larger than its section", [](std::string& pe) { pe.replace(kPeDataEntry + 4, 4, U32(0x10000)); },
       PeResult::kMalformed},
      {"data outside every section", [](std::string& pe) { pe.replace(kPeDataEntry, 4, U32(0x9000)); },
       PeResult::kMalformed},
      {"data reaching past 4 GB", [](std::string& pe) { pe.replace(kPeDataEntry, 8, U32(0x1078) + U32(0xFFFFFFFFu)); },
       PeResult::kMalformed},
      {"file cut before the data", [](std::string& pe) { pe.resize(kPeResourceData); }, PeResult::kMalformed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string image = PeImage(kMachineI386);
    c.change(image);
    MemorySource source(image.data(), image.size());
    uint64_t offset = 0;
    uint32_t size = 0;
    EXPECT_EQ(FindPeResource(source, "INSTALL", 139, &offset, &size), c.expected);
  }
}
