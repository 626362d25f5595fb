// The package check the unattended installation makes before it changes anything.
#include <gtest/gtest.h>

#include <string>

#include "archive_builder.h"
#include "payload/byte_source.h"
#include "payload/payload_check.h"

namespace {

using payload::PayloadHealth;
using testing_support::ArchiveBuilder;
using testing_support::Deflate;
using testing_support::Record;

const unsigned char* Bytes(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }

TEST(PayloadCheck, WholeMissingAndDamagedInBothCarriers) {
  ArchiveBuilder whole;
  whole.Add("InstallConfig_en.txt", "[names]").Add("Left.bmp", std::string(70000, 'x'));
  std::string packed = Deflate(std::string(5000, 'y'));
  packed[packed.size() / 2] ^= 0x5A;  // a flipped byte inside the stream
  ArchiveBuilder corrupt;
  corrupt.Add("a.txt", "fine").AddRaw(Record("b.dll", packed)).Add("c.txt", "never reached");
  std::string cut = whole.Resource();
  cut.resize(cut.size() - 10);  // the last record reaches past the end

  payload::PayloadCheck c = payload::CheckResourcePayload(Bytes(whole.Resource()), whole.Resource().size());
  EXPECT_EQ(c.health, PayloadHealth::kWhole);
  EXPECT_EQ(c.entries, 2u);
  EXPECT_EQ(payload::CheckResourcePayload(nullptr, 0).health, PayloadHealth::kMissing);
  c = payload::CheckResourcePayload(Bytes(corrupt.Resource()), corrupt.Resource().size());
  EXPECT_EQ(c.health, PayloadHealth::kDamaged);
  EXPECT_EQ(c.problem.rfind("b.dll: does not decode", 0), 0u) << c.problem;
  c = payload::CheckResourcePayload(Bytes(cut), cut.size());
  EXPECT_EQ(c.health, PayloadHealth::kDamaged);
  EXPECT_EQ(c.problem, "record 2 of 2: reaches past the archive or has a bad name");

  const std::string program(600, 'M');
  const std::string appended = whole.Appended(program);
  payload::MemorySource good(appended.data(), appended.size());
  EXPECT_EQ(payload::CheckAppendedPayload(good).health, PayloadHealth::kWhole);
  payload::MemorySource bare(program.data(), program.size());
  EXPECT_EQ(payload::CheckAppendedPayload(bare).health, PayloadHealth::kMissing);
  const std::string broken = corrupt.Appended(program);
  payload::MemorySource bad(broken.data(), broken.size());
  EXPECT_EQ(payload::CheckAppendedPayload(bad).health, PayloadHealth::kDamaged);
}

}  // namespace
