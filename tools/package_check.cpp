#include "tools/package_check.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "app/install_config.h"
#include "app/setup_info.h"
#include "app/startup_names.h"
#include "driver/driver_files.h"
#include "driver/gbk.h"
#include "driver/gpd_customizer.h"
#include "driver/line_reader.h"
#include "driver/option_names.h"
#include "driver/stdio_file.h"
#include "driver/ui_config_rewriter.h"
#include "monitor/monitor_names.h"
#include "payload/archive.h"
#include "payload/pe_image.h"
#include "tools/icon_file.h"
#include "ui/page_layout.h"

namespace kit {

namespace {

constexpr char kUninstaller[] = "Uninstaller.exe";  // what the Start-menu shortcut points at
constexpr char kChineseConfig[] = "InstallConfig_cn.txt";
constexpr char kEnglishConfig[] = "InstallConfig_en.txt";
constexpr char kChineseLicence[] = "License_cn.txt";
constexpr char kEnglishLicence[] = "License_en.txt";
constexpr char kSetupIconFile[] = "Setup.ico";
// Lines of one file reported for their bytes; the rest are counted in one more line.
constexpr int kMaxEncodingReports = 20;

const char* const kNameFields[kConfigNameCount] = {"title",     "printer name", "driver name",
                                                   "monitor name", "port name", "model line",
                                                   "printer service name"};
const char* const kSectionNames[kConfigSectionCount] = {"welcome text",   "destination-folder text",
                                                        "installing text", "success text",
                                                        "cancellation text", "failure text"};

// gnu_printf: with mingw the C++ runtime formats through mingw's own printf, which
// knows %zu, not through the system's.
std::string Format(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
std::string Format(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

bool Same(const std::string& a, const char* b) { return payload::NamesEqualIgnoringCase(a.c_str(), b); }

bool EndsWith(const std::string& name, const char* suffix) {
  size_t n = std::strlen(suffix);
  return name.size() >= n && payload::NamesEqualIgnoringCase(name.c_str() + name.size() - n, suffix);
}

std::string Path(const std::string& dir, const std::string& name) { return dir + "/" + name; }

bool ReadWholeFile(const std::string& path, std::string* bytes) {
  StdioFile file = OpenStdioFile(path.c_str(), "rb");
  if (!file) return false;
  bytes->clear();
  char chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) bytes->append(chunk, n);
  return !std::ferror(file.get());
}

std::string Trim(std::string s) {
  while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ' || s.back() == '\t')) s.pop_back();
  size_t start = 0;
  while (start < s.size() && (s[start] == ' ' || s[start] == '\t')) ++start;
  return s.substr(start);
}

class Report {
 public:
  explicit Report(std::vector<Problem>* problems) : problems_(problems) {}
  void Error(const std::string& file, int line, const std::string& message) {
    problems_->push_back({Severity::kError, file, line, message});
  }
  void Warning(const std::string& file, int line, const std::string& message) {
    problems_->push_back({Severity::kWarning, file, line, message});
  }
  void Note(const std::string& file, int line, const std::string& message) {
    problems_->push_back({Severity::kNote, file, line, message});
  }

 private:
  std::vector<Problem>* problems_;
};

// ---- Text encoding --------------------------------------------------------

// Length of the UTF-8 sequence at i (2 to 4), or 0 when none starts there.
size_t Utf8Sequence(const std::string& s, size_t i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  size_t n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (n == 0 || s.size() - i < n) return 0;
  for (size_t k = 1; k < n; ++k)
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
  return n;
}

// Where in bytes[from, to) the first byte lies that is no GBK character (a lead
// byte needs its trail byte on the same line), or std::string::npos.
size_t FirstNonGbk(const std::string& bytes, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == 0) return i;
    if (c < 0x80) continue;
    if (driver::IsGbkLeadByte(c) && i + 1 < to && driver::IsGbkTrailByte(static_cast<unsigned char>(bytes[i + 1]))) {
      ++i;
      continue;
    }
    return i;
  }
  return std::string::npos;
}

// Whether the bytes of [from, to) at and above 0x80 are whole UTF-8 sequences, and
// whether there is any.
bool IsUtf8(const std::string& bytes, size_t from, size_t to, bool* multibyte) {
  *multibyte = false;
  for (size_t i = from; i < to;) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
      continue;
    }
    const size_t n = Utf8Sequence(bytes, i);
    if (n == 0 || i + n > to) return false;
    *multibyte = true;
    i += n;
  }
  return true;
}

// Texts reach the platform's ANSI functions as code page 936 bytes, unchanged: a
// text saved as UTF-8 shows garbled, and a byte that is no GBK character at all
// may swallow the line end after it. Every line with such bytes is reported. Text
// that is valid GBK is taken as GBK, even where its bytes happen to be valid UTF-8
// as well (short Chinese texts often are): that is a warning, once.
void CheckGbkText(Report& report, const std::string& file, const std::string& bytes) {
  size_t from = 0;
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    report.Error(file, 1, "starts with a UTF-8 byte order mark: save it as GBK (code page 936) text");
    from = 3;
  }
  int line = 1, reported = 0, more = 0, bothLine = 0;
  while (from < bytes.size()) {
    size_t to = bytes.find('\n', from);
    if (to == std::string::npos) to = bytes.size();
    const size_t bad = FirstNonGbk(bytes, from, to);
    bool multibyte = false;
    const bool utf8 = IsUtf8(bytes, from, to, &multibyte);
    if (bad != std::string::npos) {
      const unsigned char c = static_cast<unsigned char>(bytes[bad]);
      if (reported == kMaxEncodingReports) {
        ++more;
      } else if (c == 0) {
        report.Error(file, line,
                     Format("a NUL byte at column %zu: the setup's text ends there (a file saved as UTF-16 has "
                            "one in every character); save it as GBK",
                            bad - from + 1));
        ++reported;
      } else if (utf8 && multibyte) {
        report.Error(file, line, "UTF-8 text: the setup shows its bytes as GBK (code page 936); save it as GBK");
        ++reported;
      } else {
        report.Error(file, line,
                     Format("byte 0x%02X at column %zu does not start a GBK (code page 936) character", c,
                            bad - from + 1));
        ++reported;
      }
    } else if (utf8 && multibyte && bothLine == 0) {
      bothLine = line;
    }
    from = to + 1;
    ++line;
  }
  if (more > 0)
    report.Error(file, 0, Format("%d more lines with bytes that are no GBK characters", more));
  if (reported == 0 && bothLine > 0)
    report.Warning(file, bothLine,
                   "reads as GBK, and as UTF-8 too: the setup takes it as GBK, as it should be; if the file was "
                   "saved as UTF-8, save it as GBK");
}

bool IsTextFile(const std::string& name) {
  return EndsWith(name, ".txt") || EndsWith(name, ".gpd") || EndsWith(name, ".ini");
}

// ---- Install configuration ------------------------------------------------

struct ParsedConfig {
  bool parsed = false;  // six separators: the names mean something
  InstallConfig config;
  InstallConfigLines lines;
};

bool HasLineEndByte(const char* name) { return std::strpbrk(name, "\r\n") != nullptr; }

bool IsAscii(const char* text) {
  for (; *text; ++text)
    if (static_cast<unsigned char>(*text) >= 0x80) return false;
  return true;
}

// What Windows' spooler cannot take in the driver, monitor or port name (field 2,
// 3 or 4), or empty: a comma (a printer's ports are a comma-separated list, and
// the default printer is kept as "printer,driver,port"), a backslash (each of
// these names is a registry key of the spooler's), a control character; a port
// name longer than the package's port monitor takes. GBK characters count whole:
// their trail bytes may look like a backslash and are none.
std::string SpoolerNameProblem(int field, const char* name) {
  size_t characters = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p; ++p, ++characters) {
    if (driver::IsGbkLeadByte(*p) && driver::IsGbkTrailByte(p[1])) {
      ++p;
      continue;
    }
    if (*p == ',')
      return "holds a comma: Windows keeps printers, drivers and ports in comma-separated lists (the default "
             "printer as \"printer,driver,port\"), where a comma ends the name";
    if (*p == '\\') return "holds a backslash: Windows keeps the name as a registry key, where it separates keys";
    if (*p < 0x20 || *p == 0x7F) return "holds a control character";
  }
  if (field == 4 && characters > monitor::kMaxPortNameChars)
    return Format("has %zu characters: the package's port monitor takes at most %zu", characters,
                  monitor::kMaxPortNameChars);
  return std::string();
}

ParsedConfig CheckInstallConfig(Report& report, const std::string& dir, const std::string& file) {
  ParsedConfig result;
  std::memset(&result.config, 0, sizeof result.config);
  StdioFile opened = OpenStdioFile(Path(dir, file).c_str(), "rb");
  if (!opened) return result;  // reported as missing from the folder
  ParseInstallConfig(opened.get(), &result.config, &result.lines);
  const InstallConfig& c = result.config;
  const InstallConfigLines& lines = result.lines;

  if (lines.separators < kConfigSectionCount) {
    report.Error(file, 0,
                 Format("%d of the 6 separator lines (20 or more '=' in a row) that end the text sections: "
                        "the setup would leave every name empty",
                        lines.separators));
    return result;
  }
  result.parsed = true;

  int names = 0;
  while (names < kConfigNameCount && c.names[names][0] != '\0') ++names;
  if (names < kConfigNameCount - 1) {
    report.Error(file, 0,
                 Format("%d name lines after the sections; the setup takes title, printer name, driver name, "
                        "monitor name, port name and model line in this order (then the printer service name)",
                        names));
  } else if (names == kConfigNameCount - 1) {
    report.Warning(file, 0,
                   "no printer service name (the seventh name line): the printer data and the uninstall record "
                   "get an empty one");
  }

  bool lineEndsReported = false;
  int longLineReported = 0;
  for (int i = 0; i < names; ++i) {
    if (lines.nameFromLongLine[i] && lines.nameLines[i] != longLineReported) {
      longLineReported = lines.nameLines[i];
      report.Error(file, lines.nameLines[i],
                   Format("line of more than 252 bytes before its CR LF: the setup reads a line in pieces of 254 "
                          "bytes, and each piece takes a name of its own (here the %s)",
                          kNameFields[i]));
    }
    // A piece of a long line holds no line end of its own: reported as long above.
    if (!lineEndsReported && !lines.nameFromLongLine[i] && HasLineEndByte(c.names[i])) {
      report.Error(file, lines.nameLines[i],
                   "line ends without CR LF: the setup removes only a CR LF pair from a name line and keeps any "
                   "other line end in the name; save the file with CR LF line ends");
      lineEndsReported = true;
    }
  }

  const char* printer = c.names[1];
  if (names > 1 && !HasLineEndByte(printer) && !driver::IsPrinterNameUsable(printer)) {
    report.Error(file, lines.nameLines[1],
                 Format("printer name '%s' is refused at start-up: it must be 1 to %zu bytes of whole GBK "
                        "characters, without control characters, a comma or any of \\ / : * ? \" < > |",
                        printer, driver::kMaxPrinterNameLength));
  }
  for (int i = 2; i < 5 && i < names; ++i) {
    if (HasLineEndByte(c.names[i])) continue;  // reported above
    const std::string problem = SpoolerNameProblem(i, c.names[i]);
    if (!problem.empty())
      report.Error(file, lines.nameLines[i], Format("%s '%s' %s", kNameFields[i], c.names[i], problem.c_str()));
  }
  for (int i = 1; i < 5 && i < names; ++i) {
    if (!IsAscii(c.names[i]))
      report.Warning(file, lines.nameLines[i],
                     Format("%s '%s' holds characters outside ASCII: the setup hands them to Windows as GBK "
                            "bytes, which read right only where the system code page is 936 (Chinese "
                            "Simplified); elsewhere %s",
                            kNameFields[i], c.names[i],
                            i == 1 ? "the printer, its files and folders and the entry of installed programs get "
                                     "other characters"
                                   : "Windows registers it under other characters"));
  }
  const char* model = c.names[5];
  if (names > 5 && std::strncmp(model, "Model=", 6) != 0) {
    report.Warning(file, lines.nameLines[5],
                   Format("the model line reads '%s', not 'Model=...': is a name line missing or extra above it?",
                          model));
  }

  for (int s = 0; s < kConfigSectionCount; ++s) {
    if (lines.sectionBytes[s] >= kConfigSectionSize) {
      report.Warning(file, 0,
                     Format("section %d (%s) holds %zu bytes; the setup keeps the first %zu", s + 1,
                            kSectionNames[s], lines.sectionBytes[s], kConfigSectionSize - 1));
    }
    // The cancellation text is kept but no page shows it.
    if (s != 4 && c.sections[s][0] == '\0') {
      report.Warning(file, 0,
                     Format("section %d (%s) is empty: the wizard shows its built-in text, which names another "
                            "printer",
                            s + 1, kSectionNames[s]));
    }
  }

  if (names > 5) {
    using driver::GpdLineKind;
    report.Note(file, lines.nameLines[5],
                Format("with printer name '%s' and model line '%s' the GPD's paper sizes are named '%s', '%s' "
                       "and '%s'",
                       printer, model, driver::PaperNameFor(GpdLineKind::kPaper850, printer, model),
                       driver::PaperNameFor(GpdLineKind::kPaper851, printer, model),
                       driver::PaperNameFor(GpdLineKind::kPaper852, printer, model)));
  }
  return result;
}

// The two languages install the same printer: names that differ give two
// differently named installations of one package.
void CompareConfigs(Report& report, const ParsedConfig& chinese, const ParsedConfig& english) {
  if (!chinese.parsed || !english.parsed) return;
  for (int i = 1; i < kConfigNameCount; ++i) {
    const char* cn = chinese.config.names[i];
    const char* en = english.config.names[i];
    if (std::strcmp(cn, en) == 0) continue;
    report.Warning(kEnglishConfig, english.lines.nameLines[i],
                   Format("%s '%s' differs from '%s' in %s: the installation is named after the language chosen",
                          kNameFields[i], en, cn, kChineseConfig));
  }
}

// ---- GPD and UI configuration ---------------------------------------------

void CheckGpd(Report& report, const std::string& dir, const std::string& file) {
  StdioFile opened = OpenStdioFile(Path(dir, file).c_str(), "rb");
  if (!opened) return;
  // Read in the pieces CustomizeGpd reads, and looked at as both languages see
  // them: an English installation translates the option names first.
  char piece[driver::kGpdLineBufferSize];
  char translated[driver::kGpdLineBufferSize];
  int noOptionCounter = 0;
  bool chinese = false, english = false;
  while (driver::ReadLinePiece(opened.get(), piece, driver::kGpdReadLimit) > 0) {
    std::memcpy(translated, piece, sizeof piece);
    driver::TranslateOptionName(translated, sizeof translated, noOptionCounter);
    chinese = chinese || driver::ClassifyGpdLine(piece) == driver::GpdLineKind::kResourceDll;
    english = english || driver::ClassifyGpdLine(translated) == driver::GpdLineKind::kResourceDll;
  }
  if (!chinese || !english) {
    report.Error(file, 0,
                 Format("no '*ResourceDLL:' line%s: the setup writes the per-printer resource DLL's name there, "
                        "and without it the driver finds no resources",
                        chinese ? " left in an English installation" : ""));
  }
}

bool IsDecimalInteger(const std::string& value) {
  size_t i = 0;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) ++i;
  size_t digits = i;
  while (i < value.size() && value[i] >= '0' && value[i] <= '9') ++i;
  if (i == digits) return false;
  while (i < value.size() && value[i] == ' ') ++i;
  return i == value.size();
}

bool IsListed(const std::vector<ListedEntry>& entries, const std::string& name) {
  for (const ListedEntry& e : entries)
    if (Same(e.name, name.c_str())) return true;
  return false;
}

void CheckUiConfig(Report& report, const std::string& dir, const std::string& file,
                   const std::vector<ListedEntry>& entries) {
  StdioFile opened = OpenStdioFile(Path(dir, file).c_str(), "rb");
  if (!opened) return;
  char piece[driver::kUiConfigLineSize];
  int line = 1;
  size_t length;
  while ((length = driver::ReadLinePiece(opened.get(), piece, sizeof piece)) > 0) {
    const int at = line;
    if (piece[length - 1] == '\n') ++line;
    driver::PictureLine picture;
    if (!driver::SplitPictureLine(piece, &picture)) continue;
    if (std::strncmp(piece, picture.key, std::strlen(picture.key)) != 0) {
      report.Error(file, at,
                   Format("'%s' does not start the line: the setup rewrites every line holding it as a picture "
                          "line, with the values taken from the line's start",
                          picture.key));
      continue;
    }
    if (picture.values.size() != 5) {
      report.Error(file, at,
                   Format("%zu values; a picture line has five: x, y, width, height and a bitmap file",
                          picture.values.size()));
      continue;
    }
    for (size_t v = 0; v < 4; ++v) {
      if (!IsDecimalInteger(picture.values[v]))
        report.Error(file, at,
                     Format("value %zu ('%s') is not an integer: the setup would write 0", v + 1,
                            picture.values[v].c_str()));
    }
    const std::string& bitmap = picture.values[4];
    if (!payload::IsPlainFileName(bitmap.c_str())) {
      report.Error(file, at,
                   Format("'%s' is not a plain file name: the setup puts the installation folder in front of it",
                          bitmap.c_str()));
    } else if (!IsListed(entries, bitmap)) {
      report.Warning(file, at,
                     Format("picture '%s' is not in the package: the driver's pages will not find it",
                            bitmap.c_str()));
    }
  }
}

// ---- Pictures and programs ------------------------------------------------

uint32_t U16(const unsigned char* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8); }
int32_t I32(const unsigned char* p) { return static_cast<int32_t>(payload::LoadU32(p)); }

void CheckBitmap(Report& report, const std::string& dir, const std::string& file, const char* what, int width,
                 int height) {
  payload::StdioFileSource source;
  if (!source.Open(Path(dir, file).c_str())) return;
  // File header (14 bytes), then a core (12) or an info (40 and later) header.
  unsigned char h[14 + 40] = {};
  const size_t have = source.Size() < sizeof h ? static_cast<size_t>(source.Size()) : sizeof h;
  if (have < 14 + 12 || !source.ReadExact(0, h, have) || h[0] != 'B' || h[1] != 'M') {
    report.Error(file, 0, "not a BMP file");
    return;
  }
  const uint32_t pixelsAt = payload::LoadU32(h + 10);
  const uint32_t infoSize = payload::LoadU32(h + 14);
  int64_t w, ht;
  uint32_t bits, compression = 0;
  if (infoSize == 12) {
    w = U16(h + 18);
    ht = U16(h + 20);
    bits = U16(h + 24);
  } else if (infoSize >= 40 && have >= 14 + 40) {
    w = I32(h + 18);
    ht = I32(h + 22);
    bits = U16(h + 28);
    compression = payload::LoadU32(h + 30);
  } else {
    report.Error(file, 0, Format("unknown bitmap header of %" PRIu32 " bytes", infoSize));
    return;
  }
  bool ok = true;
  if (ht < 0) {
    // Windows loads such a file, but the wizard's copy of it comes out black.
    report.Error(file, 0,
                 "rows stored top-down (a negative height): the wizard cannot paint such a picture; save it "
                 "with its rows bottom-up, as most programs write a BMP");
    ht = -ht;
    ok = false;
  }
  if (bits != 24) {
    report.Error(file, 0, Format("%" PRIu32 " bits per pixel: the wizard paints 24-bit pictures", bits));
    ok = false;
  }
  if (compression != 0) {
    report.Error(file, 0,
                 Format("compressed (method %" PRIu32 "): the wizard paints uncompressed pictures", compression));
    ok = false;
  }
  if (w != width || ht != height) {
    report.Error(file, 0,
                 Format("%" PRId64 " x %" PRId64 " pixels: the wizard paints %s at %d x %d", w, ht, what, width,
                        height));
    ok = false;
  }
  if (!ok) return;
  const uint64_t stride = (uint64_t(w) * 24 + 31) / 32 * 4;
  const uint64_t pixels = stride * uint64_t(ht);
  if (pixelsAt < 14 + infoSize || pixelsAt > source.Size() || pixels > source.Size() - pixelsAt)
    report.Error(file, 0, "the pixel rows reach past the end of the file");
}

// Names of files that must be programs: DLLs and EXEs, and their 64-bit twins.
bool ExpectsProgram(const std::string& name, bool* x64) {
  *x64 = EndsWith(name, ".x64");
  std::string base = *x64 ? name.substr(0, name.size() - 4) : name;
  return EndsWith(base, ".dll") || EndsWith(base, ".exe");
}

void CheckProgram(Report& report, const std::string& dir, const std::string& file, bool x64) {
  payload::StdioFileSource source;
  if (!source.Open(Path(dir, file).c_str())) return;
  payload::PeHeaders headers;
  switch (payload::ReadPeHeaders(source, &headers)) {
    case payload::PeResult::kOk: break;
    case payload::PeResult::kNotPe:
      report.Warning(file, 0,
                     Format("not a PE file, only a placeholder: replace it with the real %s build",
                            x64 ? "x86-64 (64-bit)" : "i386 (32-bit)"));
      return;
    default: report.Error(file, 0, "damaged PE file: its headers do not hold together"); return;
  }
  const uint16_t wanted = x64 ? payload::kMachineAmd64 : payload::kMachineI386;
  if (headers.machine == wanted) return;
  const char* is = headers.machine == payload::kMachineAmd64  ? " (x86-64)"
                   : headers.machine == payload::kMachineI386 ? " (i386)"
                                                              : "";
  report.Error(file, 0,
               x64 ? Format("PE machine 0x%04x%s: a '.x64' file must be an x86-64 build (0x8664)", headers.machine, is)
                   : Format("PE machine 0x%04x%s: a file without '.x64' must be an i386 build (0x014c)",
                            headers.machine, is));
}

// ---- Licences, Setup.ini, Setup.ico ---------------------------------------

void CheckLicence(Report& report, const std::string& file, const std::string& bytes) {
  if (bytes.find_first_not_of(" \t\r\n") == std::string::npos)
    report.Error(file, 0, "empty: the licence page would show nothing for the user to accept");
}

void CheckSetupInfo(Report& report, const std::string& file, const std::string& bytes) {
  setup_info::SetupInfo info;
  for (const setup_info::Problem& problem : setup_info::ParseSetupInfo(bytes.data(), bytes.size(), &info))
    report.Error(file, problem.line, problem.message);
}

void CheckSetupIcon(Report& report, const std::string& file, const std::string& bytes) {
  std::vector<IconImage> images;
  const std::string problem = ReadIconFile(bytes, &images);
  if (!problem.empty()) report.Error(file, 0, problem + ": build puts this icon on the setup program");
}

// ---- package.list ---------------------------------------------------------

struct Required {
  std::string name;
  const char* why;
};

// What the setup program takes from the package by name.
std::vector<Required> RequiredEntries() {
  std::vector<Required> names;
  auto add = [&](const std::string& name, const char* why) {
    for (const Required& r : names)
      if (Same(r.name, name.c_str())) return;
    names.push_back({name, why});
  };
  for (bool appended : {false, true})
    for (int language : {1, 0})
      for (const char* name : StartupNamesFor(appended, language).source)
        add(name, "the start-up unpacks it before the wizard opens");
  for (const driver::DriverFileEntry& entry : driver::kDriverFiles) {
    if (entry.kind == driver::DriverFileKind::kOemIni) continue;  // generated, never read
    add(entry.sourceName, "the driver staging takes it");
    if (driver::UsesX64Twin(entry.sourceName))
      add(std::string(entry.sourceName) + ".x64", "the 64-bit driver staging takes it");
  }
  for (const driver::MonitorFileEntry& entry : driver::kMonitorFiles) {
    add(entry.sourceName, "the port monitor is copied from it");
    add(std::string(entry.sourceName) + ".x64", "the 64-bit port monitor is copied from it");
  }
  add(kUninstaller, "the Start-menu shortcut points at it");
  return names;
}

bool IsStartupFile(const std::string& name) {
  for (bool appended : {false, true})
    for (int language : {1, 0})
      for (const char* source : StartupNamesFor(appended, language).source)
        if (Same(name, source)) return true;
  return false;
}

void CheckList(Report& report, const std::string& dir, const std::vector<ListedEntry>& entries) {
  namespace fs = std::filesystem;
  for (size_t i = 0; i < entries.size(); ++i) {
    const ListedEntry& e = entries[i];
    std::error_code error;
    if (!fs::is_regular_file(fs::path(Path(dir, e.name)), error))
      report.Error(kPackageList, e.line, Format("'%s' is not a file in the package folder", e.name.c_str()));
    for (size_t k = 0; k < i; ++k) {
      if (!Same(e.name, entries[k].name.c_str())) continue;
      report.Error(kPackageList, e.line,
                   Format("'%s' is listed again (line %d): names compare without regard to case on Windows",
                          e.name.c_str(), entries[k].line));
      break;
    }
  }

  for (const Required& r : RequiredEntries()) {
    if (!IsListed(entries, r.name))
      report.Error(kPackageList, 0, Format("no entry '%s': %s", r.name.c_str(), r.why));
  }

  // The archive is walked from the front: the start-up files first (from an
  // appended package the start-up stops at the fourth it needs), then the driver
  // files, each 64-bit build right after its 32-bit file.
  const ListedEntry* firstOther = nullptr;
  for (size_t i = 0; i < entries.size(); ++i) {
    const ListedEntry& e = entries[i];
    if (!IsStartupFile(e.name)) {
      if (!firstOther) firstOther = &e;
    } else if (firstOther) {
      report.Error(kPackageList, e.line,
                   Format("'%s' comes after '%s' (line %d): the configurations, licences and pictures come first",
                          e.name.c_str(), firstOther->name.c_str(), firstOther->line));
    }
    if (EndsWith(e.name, ".x64")) {
      std::string plain = e.name.substr(0, e.name.size() - 4);
      if (i == 0 || !Same(entries[i - 1].name, plain.c_str()))
        report.Error(kPackageList, e.line,
                     Format("'%s' does not follow '%s' directly: each 64-bit build comes right after its 32-bit file",
                            e.name.c_str(), plain.c_str()));
    }
  }

  std::error_code error;
  for (fs::directory_iterator it(fs::path(dir), error), end; !error && it != end; it.increment(error)) {
    if (!it->is_regular_file(error)) continue;
    std::string name = it->path().filename().string();
    if (name == kPackageList) continue;
    if (!IsListed(entries, name))
      report.Warning(name, 0, "not in package.list: it is left out of the setup");
  }
}

}  // namespace

bool ReadPackageFile(const std::string& dir, const std::string& name, std::string* bytes) {
  return ReadWholeFile(Path(dir, name), bytes);
}

bool ReadPackageList(const std::string& dir, std::vector<ListedEntry>* entries, std::vector<Problem>* problems) {
  Report report(problems);
  entries->clear();
  std::string text;
  if (!ReadWholeFile(Path(dir, kPackageList), &text)) {
    report.Error(kPackageList, 0, "cannot be read");
    return false;
  }
  bool ok = true;
  int number = 0;
  for (size_t pos = 0; pos < text.size();) {
    size_t eol = text.find('\n', pos);
    if (eol == std::string::npos) eol = text.size();
    std::string line = Trim(text.substr(pos, eol - pos));
    pos = eol + 1;
    ++number;
    if (line.empty() || line[0] == '#') continue;
    if (line.size() >= static_cast<size_t>(payload::kNameBufferSize) || !payload::IsPlainFileName(line.c_str()) ||
        line.find('\0') != std::string::npos) {
      report.Error(kPackageList, number,
                   Format("'%s' is not a plain file name of at most 255 bytes", line.c_str()));
      ok = false;
      continue;
    }
    entries->push_back({line, number});
  }
  return ok;
}

std::vector<Problem> CheckPackage(const std::string& dir) {
  std::vector<Problem> problems;
  Report report(&problems);
  std::vector<ListedEntry> entries;
  ReadPackageList(dir, &entries, &problems);
  if (entries.empty() && CountErrors(problems, false) > 0) return problems;
  CheckList(report, dir, entries);

  ParsedConfig chinese, english;
  bool setupInfo = false;
  for (const ListedEntry& e : entries) {
    const std::string& name = e.name;
    std::string bytes;
    const bool read = ReadWholeFile(Path(dir, name), &bytes);  // a file missing is reported above
    if (read && IsTextFile(name)) CheckGbkText(report, name, bytes);
    bool x64 = false;
    if (Same(name, kChineseLicence) || Same(name, kEnglishLicence)) {
      if (read) CheckLicence(report, name, bytes);
    } else if (Same(name, setup_info::kFileName)) {
      setupInfo = true;
      if (read) CheckSetupInfo(report, name, bytes);
    } else if (Same(name, kSetupIconFile)) {
      if (read) CheckSetupIcon(report, name, bytes);
    } else if (Same(name, kChineseConfig)) {
      chinese = CheckInstallConfig(report, dir, name);
    } else if (Same(name, kEnglishConfig)) {
      english = CheckInstallConfig(report, dir, name);
    } else if (Same(name, driver::kDriverFiles[driver::kGpdEntry].sourceName)) {
      CheckGpd(report, dir, name);
    } else if (Same(name, driver::kDriverFiles[driver::kUiConfigEntry].sourceName)) {
      CheckUiConfig(report, dir, name, entries);
    } else if (Same(name, ui::PageImageName(1))) {
      CheckBitmap(report, dir, name, "the logo", ui::kLogoWidth, ui::kLogoHeight);
    } else if (Same(name, ui::PageImageName(0))) {
      CheckBitmap(report, dir, name, "the side artwork", ui::kSideArtWidth, ui::kSideArtHeight);
    } else if (ExpectsProgram(name, &x64)) {
      CheckProgram(report, dir, name, x64);
    }
  }
  CompareConfigs(report, chinese, english);
  if (!setupInfo)
    report.Note(kPackageList, 0,
                "no Setup.ini: the setup has no version and no publisher of its own; its version block keeps "
                "setup-stub's version and publisher");
  return problems;
}

std::string FormatProblem(const std::string& dir, const Problem& problem, bool strict) {
  std::string where = problem.file.empty() ? dir : Path(dir, problem.file);
  if (problem.line > 0) where += ":" + std::to_string(problem.line);
  const char* kind = problem.severity == Severity::kError                ? "error"
                     : problem.severity == Severity::kNote               ? "note"
                     : strict                                            ? "error"
                                                                         : "warning";
  return where + ": " + kind + ": " + problem.message;
}

int CountErrors(const std::vector<Problem>& problems, bool strict) {
  int n = 0;
  for (const Problem& p : problems)
    n += p.severity == Severity::kError || (strict && p.severity == Severity::kWarning);
  return n;
}

}  // namespace kit
