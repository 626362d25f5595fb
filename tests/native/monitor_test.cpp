// The port monitor's portable pieces: what a port's target may be, the names of job
// files, the EnumPorts buffer and the names the monitor and its UI derive.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "monitor/job_file.h"
#include "monitor/monitor_names.h"
#include "monitor/port_info.h"
#include "monitor/port_target.h"

namespace {

using namespace monitor;

std::string Narrow(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

std::u16string Widen(const std::string& text) { return std::u16string(text.begin(), text.end()); }

struct TargetCase {
  const char* text;
  TargetError error;
  const char* canonical;  // what FormatTarget gives back when it parses
};

class TargetParsing : public testing::TestWithParam<TargetCase> {};

TEST_P(TargetParsing, ParsesOrRefuses) {
  const TargetCase& c = GetParam();
  Target target;
  target.folder = u"untouched";
  EXPECT_EQ(ParseTarget(Widen(c.text), &target), c.error);
  if (c.error == TargetError::kNone) {
    EXPECT_EQ(Narrow(FormatTarget(target)), c.canonical);
    Target again;
    EXPECT_EQ(ParseTarget(FormatTarget(target), &again), TargetError::kNone) << "the canonical form parses";
    EXPECT_EQ(FormatTarget(again), FormatTarget(target));
  } else {
    EXPECT_EQ(Narrow(target.folder), "untouched") << "a refused text changes nothing";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TargetParsing,
    testing::Values(TargetCase{"tcp:192.168.1.100:9100", TargetError::kNone, "tcp:192.168.1.100:9100"},
                    TargetCase{"  TCP:Printer-7.shop.local:9100 ", TargetError::kNone, "tcp:Printer-7.shop.local:9100"},
                    TargetCase{"tcp:[fe80::1]:9100", TargetError::kNone, "tcp:[fe80::1]:9100"},
                    TargetCase{"tcp:host:65535", TargetError::kNone, "tcp:host:65535"},
                    TargetCase{"tcp:host:65536", TargetError::kBadPort, ""},
                    TargetCase{"tcp:host:0", TargetError::kBadPort, ""},
                    TargetCase{"tcp:host:+91", TargetError::kBadPort, ""},
                    TargetCase{"tcp:host", TargetError::kBadPort, ""},
                    TargetCase{"tcp:", TargetError::kBadPort, ""},
                    TargetCase{"tcp::9100", TargetError::kBadHost, ""},
                    TargetCase{"tcp:fe80::1:9100", TargetError::kBadHost, ""},
                    TargetCase{"tcp:my printer:9100", TargetError::kBadHost, ""},
                    TargetCase{"C:/Receipts/", TargetError::kNone, "C:\\Receipts"},
                    TargetCase{"c:\\", TargetError::kNone, "c:\\"},
                    TargetCase{"\\\\server\\share\\jobs\\\\", TargetError::kNone, "\\\\server\\share\\jobs"},
                    TargetCase{"\\\\server\\", TargetError::kNotAbsolute, ""},
                    TargetCase{"Receipts", TargetError::kNotAbsolute, ""},
                    TargetCase{"C:Receipts", TargetError::kNotAbsolute, ""},
                    TargetCase{"C:\\a:b", TargetError::kBadCharacter, ""},
                    TargetCase{"C:\\what?", TargetError::kBadCharacter, ""},
                    TargetCase{"C:\\tab\there", TargetError::kBadCharacter, ""},
                    TargetCase{"   ", TargetError::kEmpty, ""},
                    TargetCase{"com7", TargetError::kNone, "COM7"},
                    TargetCase{"COM256:115200", TargetError::kNone, "COM256:115200"},
                    TargetCase{"COM3:19200", TargetError::kNone, "COM3"},
                    TargetCase{"COM257", TargetError::kBadSerial, ""},
                    TargetCase{"COM07", TargetError::kBadSerial, ""},
                    TargetCase{"COM1:19201", TargetError::kBadSerial, ""},
                    TargetCase{"COM1:", TargetError::kBadSerial, ""},
                    TargetCase{"\\\\.\\pipe\\spool", TargetError::kDevicePath, ""},
                    TargetCase{"//?/C:/Receipts", TargetError::kDevicePath, ""},
                    TargetCase{"\\\\.\\PhysicalDrive0", TargetError::kDevicePath, ""},
                    TargetCase{"\\\\server\\GLOBALROOT\\x", TargetError::kDevicePath, ""},
                    TargetCase{"C:\\CON", TargetError::kReservedName, ""},
                    TargetCase{"C:\\Receipts\\nul .txt\\x", TargetError::kReservedName, ""},
                    TargetCase{"C:\\Jobs\\Lpt9", TargetError::kReservedName, ""},
                    TargetCase{"C:\\Jobs\\COM10", TargetError::kNone, "C:\\Jobs\\COM10"},
                    TargetCase{"C:\\Receipts\\..\\Windows", TargetError::kBadStep, ""},
                    TargetCase{"C:\\Receipts\\.\\x", TargetError::kBadStep, ""},
                    TargetCase{"C:\\Receipts.", TargetError::kBadStep, ""},
                    TargetCase{"C:\\a\\\\b", TargetError::kBadStep, ""},
                    TargetCase{"\\\\server\\..\\x", TargetError::kBadStep, ""}),
    [](const testing::TestParamInfo<TargetCase>& info) {
      std::string name = std::to_string(info.index) + "_";
      for (const char* c = info.param.text; *c; ++c)
        if ((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9')) name += *c;
      return name;
    });

TEST(TargetParsing, LimitsAreTheLengthsThatFitMaxPath) {
  Target target;
  const std::string root = "C:\\";
  EXPECT_EQ(ParseTarget(Widen(root + std::string(kMaxFolderChars - 3, 'f')), &target), TargetError::kNone);
  EXPECT_EQ(ParseTarget(Widen(root + std::string(kMaxFolderChars - 2, 'f')), &target), TargetError::kTooLong);
  EXPECT_EQ(ParseTarget(Widen("tcp:" + std::string(kMaxHostChars, 'h') + ":1"), &target), TargetError::kNone);
  EXPECT_EQ(ParseTarget(Widen("tcp:" + std::string(kMaxHostChars + 1, 'h') + ":1"), &target), TargetError::kTooLong);
  // The longest folder and the longest job file name still make a path for MAX_PATH.
  EXPECT_LE(kMaxFolderChars + 1 + kMaxJobFileChars, 259u);
}

TEST(TargetParsing, FolderSplitsIntoRootAndSteps) {
  FolderSteps split = SplitFolder(u"C:\\ProgramData\\Shop Monitor");
  EXPECT_EQ(Narrow(split.root), "C:\\");
  ASSERT_EQ(split.steps.size(), 2u);
  EXPECT_EQ(Narrow(split.steps[0]), "ProgramData");
  EXPECT_EQ(Narrow(split.steps[1]), "Shop Monitor");
  split = SplitFolder(u"\\\\server\\share\\jobs");
  EXPECT_EQ(Narrow(split.root), "\\\\server\\share");
  ASSERT_EQ(split.steps.size(), 1u);
  EXPECT_EQ(Narrow(split.steps[0]), "jobs");
  EXPECT_TRUE(SplitFolder(u"\\\\server\\share").steps.empty());
  EXPECT_TRUE(SplitFolder(u"C:\\").steps.empty());
}

TEST(JobFile, NameCarriesTimeJobAndDocument) {
  const JobStamp stamp = {2024, 1, 31, 14, 25, 1};
  EXPECT_EQ(Narrow(JobFileName(stamp, 12, u"Receipt", 1)), "20240131-142501-job12-Receipt.prn");
  EXPECT_EQ(Narrow(JobFileName(stamp, 12, u"Receipt", 2)), "20240131-142501-job12-Receipt (2).prn");
  EXPECT_EQ(Narrow(JobFileName(stamp, 4294967295u, u" ..", 1)), "20240131-142501-job4294967295.prn");
}

TEST(JobFile, TemporaryNameIsNoJobsName) {
  const JobStamp stamp = {2024, 1, 31, 14, 25, 1};
  EXPECT_EQ(Narrow(TemporaryJobFileName(stamp, 12, 0xBEEF)), "~20240131-142501-job12-0000beef.part");
  EXPECT_LE(TemporaryJobFileName(stamp, 4294967295u, 0xFFFFFFFFu).size(), kMaxJobFileChars);
}

TEST(JobFile, LongestNameIsTheLimit) {
  const JobStamp stamp = {2024, 12, 31, 23, 59, 59};
  const std::u16string name = JobFileName(stamp, 4294967295u, std::u16string(500, u'x'), kMaxJobFileAttempts);
  EXPECT_EQ(name.size(), kMaxJobFileChars);
}

TEST(JobFile, SanitisingKeepsWholeCharactersAndNothingForbidden) {
  EXPECT_EQ(Narrow(SanitizeNamePart(u"a\\b/c:d*e?f\"g<h>i|j\tk\x7f", 64)), "a_b_c_d_e_f_g_h_i_j_k_");
  EXPECT_EQ(Narrow(SanitizeNamePart(u"  Report. . ", 64)), "Report");
  // A surrogate pair (U+1F9FE) is never cut in half; lone halves are replaced.
  const std::u16string pair = u"\U0001F9FE";
  EXPECT_EQ(SanitizeNamePart(u"ab" + pair, 3), u"ab");
  EXPECT_EQ(SanitizeNamePart(u"ab" + pair, 4), u"ab" + pair);
  EXPECT_EQ(SanitizeNamePart(std::u16string(u"a") + char16_t(0xDC00) + u"b" + char16_t(0xD800), 64), u"a_b_");
  // Cut first, then trimmed: no trailing dot survives the cut.
  EXPECT_EQ(Narrow(SanitizeNamePart(u"abc. def", 4)), "abc");
  // A right-to-left override would show "Receipt\u202Efdp.exe" as "Receiptexe.pdf";
  // zero-width and other format characters (an invisible tag, U+E0041, among them)
  // go, C1 controls and line separators become '_'.
  EXPECT_EQ(Narrow(SanitizeNamePart(u"Receipt\u202Efdp.exe", 64)), "Receiptfdp.exe");
  EXPECT_EQ(Narrow(SanitizeNamePart(u"\uFEFFa\u200Bb\u200D\u2066c\u00AD" + std::u16string(u"\U000E0041") + u"d", 64)),
            "abcd");
  EXPECT_EQ(Narrow(SanitizeNamePart(u"a\u0085b\u2028c", 64)), "a_b_c");
}

TEST(PortInfo, LevelTwoFillsExactlyTheSizeItAsksFor) {
  PortListing listing = {{u"A:", u"LONGER PORT:"}, u"M", u"Receipt printer port"};
  const size_t needed = PortInfoBytes(2, listing);
  EXPECT_EQ(needed, 2 * sizeof(PortInfo2) + ((3 + 13) + 2 * (2 + 21)) * sizeof(char16_t));
  std::vector<uint8_t> buffer(needed + 64, 0xAB);
  EXPECT_EQ(PackPortInfo(2, listing, buffer.data(), needed - 1), -1);
  ASSERT_EQ(PackPortInfo(2, listing, buffer.data(), buffer.size()), 2);
  for (size_t i = needed; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xAB) << "written past the size at " << i;
  PortInfo2 second;
  std::memcpy(&second, buffer.data() + sizeof(PortInfo2), sizeof second);
  EXPECT_EQ(std::u16string(second.portName), u"LONGER PORT:");
  EXPECT_EQ(std::u16string(second.monitorName), u"M");
  EXPECT_EQ(std::u16string(second.description), u"Receipt printer port");
  EXPECT_EQ(second.portType, kPortTypeWrite);
  // Strings lie after the records, inside the size.
  const uint8_t* at = reinterpret_cast<const uint8_t*>(second.portName);
  EXPECT_GE(at, buffer.data() + 2 * sizeof(PortInfo2));
  EXPECT_LT(at, buffer.data() + needed);
}

TEST(PortInfo, NoPortsNeedNothingAndOtherLevelsAreRefused) {
  PortListing listing;
  EXPECT_EQ(PortInfoBytes(1, listing), 0u);
  EXPECT_EQ(PackPortInfo(1, listing, nullptr, 0), 0);
  listing.ports = {u"P:"};
  EXPECT_EQ(PortInfoBytes(1, listing), sizeof(PortInfo1) + 6);
  EXPECT_EQ(PortInfoBytes(3, listing), 0u);
  uint8_t buffer[64];
  EXPECT_EQ(PackPortInfo(3, listing, buffer, sizeof buffer), -1);
}

TEST(MonitorNames, UiAndPrinterFollowTheMonitorsFileName) {
  EXPECT_EQ(Narrow(UiDllNameFor(u"C:\\Windows\\System32\\Rillo-58-SeriesMon.dll")), "Rillo-58-SeriesMonUI.dll");
  EXPECT_EQ(Narrow(UiDllNameFor(u"MON.DLL")), "MONUI.DLL");
  EXPECT_EQ(Narrow(UiDllNameFor(u"monitor")), "monitorUI");
  std::u16string printer;
  ASSERT_TRUE(PrinterNameFromUiDll(u"C:\\x.y\\Rillo-58-SeriesMonUI.DLL", &printer));
  EXPECT_EQ(Narrow(printer), "Rillo-58-Series");
  EXPECT_FALSE(PrinterNameFromUiDll(u"MonUI.dll", &printer)) << "no printer name before it";
  EXPECT_FALSE(PrinterNameFromUiDll(u"Rillo80PrinterUI.dll", &printer));
}

TEST(MonitorNames, PortNamesAreOneRegistryKey) {
  EXPECT_EQ(CheckPortName(u"Rillo-58-Series PORT:"), PortNameError::kNone);
  EXPECT_EQ(CheckPortName(u""), PortNameError::kEmpty);
  EXPECT_EQ(CheckPortName(u"A\\B"), PortNameError::kBadCharacter);
  EXPECT_EQ(CheckPortName(u"LPT1:,LPT2:"), PortNameError::kBadCharacter) << "a printer's port list is comma-separated";
  EXPECT_EQ(CheckPortName(std::u16string(kMaxPortNameChars, u'p')), PortNameError::kNone);
  EXPECT_EQ(CheckPortName(std::u16string(kMaxPortNameChars + 1, u'p')), PortNameError::kTooLong);
}

TEST(MonitorNames, XcvNamesForThisMachineAndAnother) {
  EXPECT_EQ(Narrow(XcvPrinterName(u"", XcvObject::kMonitor, u"M")), ",XcvMonitor M");
  EXPECT_EQ(Narrow(XcvPrinterName(u"srv", XcvObject::kPort, u"P:")), "\\\\srv\\,XcvPort P:");
  EXPECT_EQ(Narrow(XcvPrinterName(u"\\\\srv", XcvObject::kPort, u"P:")), "\\\\srv\\,XcvPort P:");
  EXPECT_EQ(Narrow(DefaultFolderFor(u"C:\\ProgramData\\", u"Shop: Monitor")), "C:\\ProgramData\\Shop_ Monitor");
}

}  // namespace
