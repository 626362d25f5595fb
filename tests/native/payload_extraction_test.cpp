// The installation's extraction pass over both carriers: which files land where,
// what the status line and the bar are told and in which order, and what is not
// written (unwritable folder, over-long path, a name that would leave the folder).
//
// Output paths are "<folder>\<name>" on every system; on this host the backslash is
// an ordinary character, so "<tmp>/dest\a.txt" is the file "dest\a.txt" in <tmp>.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "archive_builder.h"
#include "payload/payload_extraction.h"
#include "test_support.h"

using namespace payload;
using testing_support::ArchiveBuilder;
using testing_support::Deflate;
using testing_support::FileExists;
using testing_support::ReadFileBytes;
using testing_support::Record;
using testing_support::TempDir;

namespace {

// Everything the pass told the wizard, in order: "P:name" (placing), "S:text"
// (status line), "%:n" (bar).
class Recorder : public ExtractionObserver {
 public:
  void Placing(const char* name) override { events.push_back("P:" + std::string(name)); }
  void StatusText(const char* text) override { events.push_back("S:" + std::string(text)); }
  void SetPercent(int percent) override { events.push_back("%:" + std::to_string(percent)); }

  std::vector<std::string> Only(char kind) const {
    std::vector<std::string> picked;
    for (const std::string& e : events)
      if (e[0] == kind) picked.push_back(e.substr(2));
    return picked;
  }
  // The bar positions the decoder sent while the entry was being written: those
  // after its placing event and before the next status line.
  std::vector<int> DecoderPercents(const std::string& name) const {
    std::vector<int> picked;
    bool inside = false;
    for (const std::string& e : events) {
      if (e == "P:" + name) inside = true;
      else if (e[0] == 'S') inside = false;
      else if (inside && e[0] == '%') picked.push_back(std::stoi(e.substr(2)));
    }
    return picked;
  }

  std::vector<std::string> events;
};

std::string Out(const std::string& folder, const std::string& name) { return folder + "\\" + name; }

// The byte scale of the decoder: decompressed bytes so far over the denominator.
int BytePercentValue(size_t total, size_t denominator) {
  return static_cast<int>(static_cast<double>(total) / static_cast<double>(denominator) * 100.0);
}
std::string BytePercent(size_t total, size_t denominator) {
  return "%:" + std::to_string(BytePercentValue(total, denominator));
}

// Poorly compressible bytes, so a big entry spans many 16 KB input chunks too.
std::string Noise(size_t n, uint32_t seed) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) {
    seed = seed * 1664525u + 1013904223u;
    s[i] = static_cast<char>(seed >> 24);
  }
  return s;
}

std::set<std::string> Listing(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) names.insert(entry.path().filename().string());
  return names;
}

int ExtractResource(const std::string& archive, const std::string& folder, Recorder& recorder) {
  return ExtractResourcePayload(reinterpret_cast<const unsigned char*>(archive.data()), archive.size(),
                                folder.c_str(), recorder);
}

int ExtractAppended(const std::string& program, const std::string& folder, const std::string& dataFolder,
                    Recorder& recorder) {
  MemorySource source(program.data(), program.size());
  return ExtractAppendedPayload(source, folder.c_str(), dataFolder.c_str(), recorder);
}

const std::string kProgramImage = "program image standing in for the setup stub";

}  // namespace

TEST(ResourceExtraction, WritesEachEntryThenShowsItsNameAndTheCountScale) {
  const std::string left = "side picture", gpd = "*GPDFileName: \"RILLO80.gpd\"\n", text = "readme text";
  ArchiveBuilder builder;
  builder.Add("Left.bmp", left).Add("RILLO80.gpd", gpd).Add("c.txt", text);
  const std::string archive = builder.Resource();
  TempDir tmp;
  const std::string dest = tmp.File("dest");
  Recorder recorder;
  EXPECT_EQ(ExtractResource(archive, dest, recorder), kExtractComplete);

  // Small entries come out of one inflate call each: one decoder step apiece, on the
  // byte scale of the whole resource, then the entry count's scale.
  const size_t n = archive.size();
  const std::vector<std::string> expected = {
      "P:Left.bmp",    BytePercent(left.size(), n),                            "S:Left.bmp",    "%:33",
      "P:RILLO80.gpd", BytePercent(left.size() + gpd.size(), n),               "S:RILLO80.gpd", "%:66",
      "P:c.txt",       BytePercent(left.size() + gpd.size() + text.size(), n), "S:c.txt",       "%:100"};
  EXPECT_EQ(recorder.events, expected);

  EXPECT_EQ(ReadFileBytes(Out(dest, "Left.bmp")), left);
  EXPECT_EQ(ReadFileBytes(Out(dest, "RILLO80.gpd")), gpd);
  EXPECT_EQ(ReadFileBytes(Out(dest, "c.txt")), text);
  EXPECT_EQ(Listing(tmp.path()), (std::set<std::string>{"dest\\Left.bmp", "dest\\RILLO80.gpd", "dest\\c.txt"}))
      << "names keep their stored letter case";
}

TEST(ResourceExtraction, BarEndsAtOneHundredWhateverTheByteCounts) {
  // Highly compressible entries: on the byte scale the bar runs far past 100; the
  // last word is still the entry count's 100.
  for (uint32_t count : {1u, 3u, 7u, 40u}) {
    ArchiveBuilder builder;
    for (uint32_t i = 0; i < count; ++i) builder.Add("f" + std::to_string(i), std::string(5000, 'x'));
    const std::string archive = builder.Resource();
    TempDir tmp;
    Recorder recorder;
    EXPECT_EQ(ExtractResource(archive, tmp.File("d"), recorder), kExtractComplete);
    ASSERT_FALSE(recorder.events.empty());
    EXPECT_EQ(recorder.events.back(), "%:100") << count << " entries";
    ASSERT_EQ(recorder.DecoderPercents("f0").size(), 1u);
    EXPECT_GT(recorder.DecoderPercents("f0").front(), 100) << "byte scale past the bar's top";
    EXPECT_EQ(recorder.Only('S').size(), count);
  }
}

TEST(ResourceExtraction, BigEntryMovesTheBarInSixteenKilobyteStepsOnOneRunningTotal) {
  const std::string big = Noise(200000, 7), small = "small entry";
  ArchiveBuilder builder;
  builder.Add("big.dll", big).Add("small.txt", small);
  const std::string archive = builder.Resource();
  TempDir tmp;
  Recorder first, second;
  EXPECT_EQ(ExtractResource(archive, tmp.File("d"), first), kExtractComplete);

  const std::vector<int> steps = first.DecoderPercents("big.dll");
  ASSERT_GE(steps.size(), 200000u / 16384u) << "one step per 16 KB of output";
  for (size_t i = 1; i < steps.size(); ++i) EXPECT_GE(steps[i], steps[i - 1]);
  EXPECT_LT(steps.front(), 10) << "the first 16 KB of a 200 KB archive";
  EXPECT_EQ(steps.back(), BytePercentValue(big.size(), archive.size()));
  // The small entry carries on from the big one's total, and the bar then drops
  // back to the count scale.
  EXPECT_EQ(first.DecoderPercents("small.txt"),
            std::vector<int>{BytePercentValue(big.size() + small.size(), archive.size())});
  EXPECT_EQ(first.Only('%').back(), "100");
  EXPECT_EQ(ReadFileBytes(Out(tmp.File("d"), "big.dll")), big);

  // A second pass starts its own total at 0: the same positions again.
  EXPECT_EQ(ExtractResource(archive, tmp.File("d"), second), kExtractComplete);
  EXPECT_EQ(second.events, first.events);
}

TEST(ResourceExtraction, DamagedEntryIsLeftPartlyWrittenAndThePassGoesOn) {
  const std::string content = Noise(100000, 3);
  std::string damaged = Deflate(content);
  damaged[damaged.size() - 1] ^= 0x55;  // the stream's check value no longer matches
  ArchiveBuilder builder;
  builder.AddRaw(Record("bad.dll", damaged)).Add("good1.txt", "first good").Add("good2.txt", "second good");
  TempDir tmp;
  const std::string dest = tmp.File("d");
  Recorder recorder;
  EXPECT_EQ(ExtractResource(builder.Resource(), dest, recorder), kExtractComplete);

  const std::string partial = ReadFileBytes(Out(dest, "bad.dll"));
  EXPECT_GT(partial.size(), 0u);
  EXPECT_LT(partial.size(), content.size());
  EXPECT_EQ(content.compare(0, partial.size(), partial), 0) << "the part written is the content's start";
  EXPECT_EQ(ReadFileBytes(Out(dest, "good1.txt")), "first good");
  EXPECT_EQ(ReadFileBytes(Out(dest, "good2.txt")), "second good");
  EXPECT_EQ(recorder.Only('S'), (std::vector<std::string>{"bad.dll", "good1.txt", "good2.txt"}));
  EXPECT_EQ(recorder.Only('P'), (std::vector<std::string>{"bad.dll", "good1.txt", "good2.txt"}));
}

TEST(ResourceExtraction, UnwritableFolderWritesNothingButStatusAndBarAdvance) {
  ArchiveBuilder builder;
  builder.Add("a.txt", "aaa").Add("b.txt", "bbb").Add("c.txt", "ccc").Add("d.txt", "ddd");
  TempDir tmp;
  testing_support::WriteFileBytes(tmp.File("plain"), "a file, not a folder");
  Recorder recorder;
  // A folder path that runs through an existing file: no entry can be opened.
  EXPECT_EQ(ExtractResource(builder.Resource(), tmp.File("plain") + "/dest", recorder), kExtractComplete);

  EXPECT_EQ(Listing(tmp.path()), std::set<std::string>{"plain"});
  EXPECT_EQ(ReadFileBytes(tmp.File("plain")), "a file, not a folder");
  EXPECT_EQ(recorder.Only('S'), (std::vector<std::string>{"a.txt", "b.txt", "c.txt", "d.txt"}));
  EXPECT_EQ(recorder.Only('%'), (std::vector<std::string>{"25", "50", "75", "100"}))
      << "no decoder step either: nothing was decoded";
}

TEST(ResourceExtraction, ResultTellsACompleteWalkFromOneThatEndedEarly) {
  TempDir tmp;
  {
    Recorder recorder;  // N = 0: nothing to do, and no error
    EXPECT_EQ(ExtractResource(ArchiveBuilder().Resource(), tmp.File("d"), recorder), kExtractComplete);
    EXPECT_TRUE(recorder.events.empty());
  }
  {
    Recorder recorder;
    EXPECT_EQ(ExtractResource(std::string("\x01\x00", 2), tmp.File("d"), recorder), kExtractNoArchive);
    EXPECT_TRUE(recorder.events.empty());
  }
  {
    // The second record claims more packed bytes than the archive holds.
    ArchiveBuilder builder;
    builder.Add("first.txt", "first").AddRaw(testing_support::U32(5) + testing_support::U32(9999) + "trunc" + "xx");
    Recorder recorder;
    EXPECT_EQ(ExtractResource(builder.Resource(), tmp.File("d"), recorder), kExtractEndedEarly);
    EXPECT_EQ(recorder.Only('S'), std::vector<std::string>{"first.txt"});
    EXPECT_EQ(ReadFileBytes(Out(tmp.File("d"), "first.txt")), "first");
    EXPECT_FALSE(FileExists(Out(tmp.File("d"), "trunc")));
  }
}

TEST(AppendedExtraction, StatusIsTheFullPathBeforeDecodingAndTheDataFolderTakesTheIni) {
  const std::string a = "alpha", ini = "[Settings]\r\nPort=USB001\r\n", lower = "lower-case ini", bak = "backup";
  ArchiveBuilder builder;
  builder.Add("a.txt", a)
      .Add("OmbraPrinter.ini", ini)
      .Add("ombraprinter.ini", lower)         // other case: not the data folder's file
      .Add("Old.OmbraPrinter.ini.bak", bak);  // holds the name: the data folder's
  const std::string program = builder.Appended(kProgramImage);
  const size_t archiveLength = program.size() - kProgramImage.size();
  TempDir tmp;
  const std::string dest = tmp.File("dest"), data = tmp.File("data");
  Recorder recorder;
  EXPECT_EQ(ExtractAppended(program, dest, data, recorder), kExtractComplete);

  // No per-entry step here: only the decoder's, over the appended archive's length.
  size_t total = 0;
  std::vector<std::string> expected;
  auto entry = [&](const std::string& folder, const std::string& name, const std::string& content, bool placed) {
    expected.push_back("S:" + Out(folder, name));
    if (placed) expected.push_back("P:" + name);
    total += content.size();
    expected.push_back(BytePercent(total, archiveLength));
  };
  entry(dest, "a.txt", a, true);
  entry(data, "OmbraPrinter.ini", ini, false);
  entry(dest, "ombraprinter.ini", lower, true);
  entry(data, "Old.OmbraPrinter.ini.bak", bak, false);
  EXPECT_EQ(recorder.events, expected);

  EXPECT_EQ(ReadFileBytes(Out(dest, "a.txt")), a);
  EXPECT_EQ(ReadFileBytes(Out(data, "OmbraPrinter.ini")), ini);
  EXPECT_EQ(ReadFileBytes(Out(dest, "ombraprinter.ini")), lower);
  EXPECT_EQ(ReadFileBytes(Out(data, "Old.OmbraPrinter.ini.bak")), bak);
  EXPECT_EQ(Listing(tmp.path()).size(), 4u) << "nothing else written";
}

TEST(AppendedExtraction, DamagedEntryAndUnwritableFolderDoNotStopThePass) {
  const std::string content = Noise(60000, 11);
  std::string damaged = Deflate(content);
  damaged[damaged.size() - 2] ^= 0x21;
  ArchiveBuilder builder;
  builder.AddRaw(Record("bad.bin", damaged)).Add("OmbraPrinter.ini", "ini").Add("after.txt", "after");
  const std::string program = builder.Appended(kProgramImage);
  TempDir tmp;
  testing_support::WriteFileBytes(tmp.File("plain"), "x");
  const std::string dest = tmp.File("dest");
  const std::string unwritable = tmp.File("plain") + "/data";
  Recorder recorder;
  EXPECT_EQ(ExtractAppended(program, dest, unwritable, recorder), kExtractComplete);

  const std::string partial = ReadFileBytes(Out(dest, "bad.bin"));
  EXPECT_LT(partial.size(), content.size());
  EXPECT_EQ(content.compare(0, partial.size(), partial), 0);
  EXPECT_EQ(ReadFileBytes(Out(dest, "after.txt")), "after");
  EXPECT_EQ(recorder.Only('S'), (std::vector<std::string>{Out(dest, "bad.bin"), Out(unwritable, "OmbraPrinter.ini"),
                                                          Out(dest, "after.txt")}));
  EXPECT_EQ(Listing(tmp.path()), (std::set<std::string>{"plain", "dest\\bad.bin", "dest\\after.txt"}));
}

TEST(AppendedExtraction, ResultTellsMissingArchiveFromAWalkThatEndedEarly) {
  TempDir tmp;
  {
    Recorder recorder;
    EXPECT_EQ(ExtractAppended(kProgramImage, tmp.File("d"), tmp.File("e"), recorder), kExtractNoArchive);
    EXPECT_TRUE(recorder.events.empty());
  }
  {
    ArchiveBuilder builder;
    builder.Add("first.txt", "first").AddRaw(testing_support::U32(300) + testing_support::U32(1) + "x");
    Recorder recorder;
    EXPECT_EQ(ExtractAppended(builder.Appended(kProgramImage), tmp.File("d"), tmp.File("e"), recorder),
              kExtractEndedEarly);
    EXPECT_EQ(recorder.Only('S'), std::vector<std::string>{Out(tmp.File("d"), "first.txt")});
    EXPECT_EQ(ReadFileBytes(Out(tmp.File("d"), "first.txt")), "first");
  }
}

// Paths are 256-byte buffers. A path of 255 bytes is written; one byte more and the
// entry is skipped, never written under the cut name (which here would be another
// entry's file). A name that could leave the folder is skipped the same way.
TEST(ExtractionPaths, OverLongPathsAndNamesLeavingTheFolderAreNotWritten) {
  TempDir tmp;
  // "<tmp>/ddd...d\UNIDRV.DLL" is exactly 255 bytes.
  const std::string prefix = tmp.path() + "/";
  const std::string dest = prefix + std::string(255 - prefix.size() - 1 - 10, 'd');
  ASSERT_EQ(Out(dest, "UNIDRV.DLL").size(), 255u);
  std::filesystem::create_directory(tmp.File("s\\sub"));

  ArchiveBuilder builder;
  builder.Add("UNIDRV.DLL", "32-bit").Add("UNIDRV.DLL.x64", "64-bit");
  const std::string archive = builder.Resource();
  Recorder resource;
  EXPECT_EQ(ExtractResource(archive, dest, resource), kExtractComplete);
  EXPECT_EQ(ReadFileBytes(Out(dest, "UNIDRV.DLL")), "32-bit") << "not overwritten by a cut name";
  EXPECT_EQ(resource.Only('P'), std::vector<std::string>{"UNIDRV.DLL"});
  EXPECT_EQ(resource.Only('S'), (std::vector<std::string>{"UNIDRV.DLL", "UNIDRV.DLL.x64"}));
  EXPECT_EQ(resource.Only('%').back(), "100");
  EXPECT_EQ(Listing(tmp.path()).size(), 2u) << "the 255-byte file and the folder made above";

  // The appended carrier: the status line gets the path cut to 255 bytes, the file
  // system gets nothing.
  TempDir other;
  const std::string otherPrefix = other.path() + "/";
  const std::string otherDest = otherPrefix + std::string(255 - otherPrefix.size() - 1 - 10, 'd');
  Recorder appended;
  EXPECT_EQ(ExtractAppended(builder.Appended(kProgramImage), otherDest, other.path(), appended), kExtractComplete);
  EXPECT_EQ(ReadFileBytes(Out(otherDest, "UNIDRV.DLL")), "32-bit");
  EXPECT_EQ(appended.Only('P'), std::vector<std::string>{"UNIDRV.DLL"});
  EXPECT_EQ(appended.Only('S'), (std::vector<std::string>{Out(otherDest, "UNIDRV.DLL"), Out(otherDest, "UNIDRV.DLL")}));
  EXPECT_EQ(Listing(other.path()).size(), 1u);

  // Names with a separator or a drive colon, and "..", stay out: the folder
  // "<tmp>/s\sub" exists, so "sub/evil.txt" would have landed in it.
  ArchiveBuilder escaping;
  escaping.Add("sub/evil.txt", "e").Add("..", "e").Add("sub\\x.txt", "e").Add("c:x.txt", "e").Add("ok.txt", "ok");
  Recorder walker;
  EXPECT_EQ(ExtractResource(escaping.Resource(), tmp.File("s"), walker), kExtractComplete);
  EXPECT_TRUE(std::filesystem::is_empty(tmp.File("s\\sub")));
  EXPECT_EQ(ReadFileBytes(Out(tmp.File("s"), "ok.txt")), "ok");
  EXPECT_EQ(Listing(tmp.path()).size(), 3u) << "the 255-byte file, the folder, ok.txt";
  EXPECT_EQ(walker.Only('P'), std::vector<std::string>{"ok.txt"});
  EXPECT_EQ(walker.Only('S').size(), 5u);
}
