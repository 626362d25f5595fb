// The payload as the Windows program finds it: its own INSTALL resource, and an
// archive appended to a program file read through the Win32 file functions.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "payload/archive.h"
#include "payload/entry_decoder.h"
#include "payload/payload_resource_win.h"
#include "payload/pe_image.h"
#include "payload/win32_file_source.h"
#include "win_support.h"

using namespace payload;
using win_support::ReadAll;
using win_support::ScratchDir;

namespace {

std::vector<std::string> PackageList() { return win_support::PackageEntries(); }

std::vector<std::string> Names(ByteSource& source, const ArchiveLayout& layout, WalkResult* result) {
  std::vector<std::string> names;
  *result = WalkEntries(source, layout, [&](const PackageEntry& e) {
    names.push_back(e.name);
    return true;
  });
  return names;
}

struct ResourceCopy {
  unsigned char* data = nullptr;
  size_t size = 0;
  ResourceCopy() { data = LoadPayloadResource(kPayloadResourceId, kPayloadResourceType, &size); }
  ~ResourceCopy() { delete[] data; }
};

}  // namespace

TEST(PayloadResource, OwnResourceHoldsThePackageInListOrder) {
  ResourceCopy copy;
  ASSERT_NE(copy.data, nullptr);
  std::vector<std::string> expected = PackageList();
  ASSERT_GE(expected.size(), 6u) << "not even the start-up files listed";
  MemorySource source(copy.data, copy.size);
  ArchiveLayout layout;
  ASSERT_EQ(LocateResourceArchive(source, &layout), LocateResult::kFound);
  WalkResult result;
  EXPECT_EQ(Names(source, layout, &result), expected);
  EXPECT_EQ(result, WalkResult::kComplete);
}

TEST(PayloadResource, MissingResourceGivesNullAndZeroLength) {
  size_t size = 123;
  EXPECT_EQ(LoadPayloadResource(140, kPayloadResourceType, &size), nullptr);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(LoadPayloadResource(kPayloadResourceId, "NOSUCHTYPE", &size), nullptr);
}

TEST(PayloadResource, EveryEntryDecodesToThePackageFile) {
  ResourceCopy copy;
  ASSERT_NE(copy.data, nullptr);
  MemorySource source(copy.data, copy.size);
  ArchiveLayout layout;
  ASSERT_EQ(LocateResourceArchive(source, &layout), LocateResult::kFound);
  ScratchDir dir;
  int32_t total = 0;
  int decoded = 0;
  WalkEntries(source, layout, [&](const PackageEntry& e) {
    MemoryInput input(copy.data + e.dataOffset);
    std::string out = dir.File(e.name);
    EXPECT_EQ(InflateEntryToFile(input, e.packedLength, out.c_str(), &total, double(copy.size), nullptr), 0)
        << e.name;
    EXPECT_EQ(ReadAll(out), ReadAll(win_support::PackagePath(e.name))) << e.name;
    ++decoded;
    return true;
  });
  EXPECT_EQ(decoded, static_cast<int>(PackageList().size()));
}

// The tools read a program's INSTALL resource from its file, on any platform: the
// same bytes as the loader hands this program.
TEST(PayloadResource, ReadFromTheProgramFileAsTheLoaderFindsIt) {
  ResourceCopy copy;
  ASSERT_NE(copy.data, nullptr);
  Win32FileSource file;
  ASSERT_TRUE(file.OpenOwnProgram());
  uint64_t offset = 0;
  uint32_t size = 0;
  ASSERT_EQ(FindPeResource(file, kPayloadResourceType, kPayloadResourceId, &offset, &size), PeResult::kOk);
  ASSERT_EQ(size, copy.size);
  std::vector<unsigned char> bytes(size);
  ASSERT_TRUE(file.ReadExact(offset, bytes.data(), size));
  EXPECT_EQ(0, std::memcmp(bytes.data(), copy.data, size));
}

TEST(AppendedPayload, FoundBehindAProgramThroughWin32Reads) {
  ResourceCopy copy;
  ASSERT_NE(copy.data, nullptr);
  std::string program = ReadAll(win_support::OwnProgramPath());
  ASSERT_FALSE(program.empty());
  // program, header, the records of the resource archive, trailer (count, offset)
  std::string archive(reinterpret_cast<const char*>(copy.data), copy.size);
  auto u32 = [](uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
    return s;
  };
  std::string file = program + u32(4) + "HEAD" + archive.substr(4) + archive.substr(0, 4) +
                     u32(static_cast<uint32_t>(program.size()));
  ScratchDir dir;
  std::string path = dir.File("appended.exe");
  ASSERT_TRUE(win_support::WriteAll(path, file));

  Win32FileSource source;
  ASSERT_TRUE(source.Open(path.c_str()));
  EXPECT_EQ(source.Size(), file.size());
  ArchiveLayout layout;
  ASSERT_EQ(LocateAppendedArchive(source, &layout), LocateResult::kFound);
  EXPECT_EQ(layout.archiveOffset, program.size());
  WalkResult result;
  EXPECT_EQ(Names(source, layout, &result), PackageList());
  EXPECT_EQ(result, WalkResult::kComplete);

  // Decode one entry straight from the file, as the appended variant does.
  bool found = false;
  WalkEntries(source, layout, [&](const PackageEntry& e) {
    if (std::string(e.name) != "InstallConfig_en.txt") return true;
    found = true;
    SourceInput input(source, e.dataOffset);
    int32_t total = 0;
    std::string out = dir.File(e.name);
    EXPECT_EQ(InflateEntryToFile(input, e.packedLength, out.c_str(), &total, double(layout.progressLength), nullptr),
              0);
    EXPECT_EQ(ReadAll(out), ReadAll(win_support::PackagePath(e.name)));
    return false;
  });
  EXPECT_TRUE(found);
}

// A linked program ends in its last section, padded with zeros to the file
// alignment: a count of 0, so no archive.
TEST(AppendedPayload, ProgramWithoutTrailerHasNoArchive) {
  Win32FileSource source;
  ASSERT_TRUE(source.OpenOwnProgram());
  ArchiveLayout layout;
  EXPECT_EQ(LocateAppendedArchive(source, &layout), LocateResult::kNoArchive);
}

TEST(AppendedPayload, MissingFileDoesNotOpen) {
  Win32FileSource source;
  EXPECT_FALSE(source.Open("C:\\no\\such\\setup.exe"));
  char buffer[4];
  EXPECT_EQ(source.ReadAt(0, buffer, 4), -1);
}
