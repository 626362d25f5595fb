// The vendor kit's check: the sample package passes, and each fault planted in a
// copy of it is reported once, as an error naming its file and line.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "pe_builder.h"
#include "test_support.h"
#include "tools/package_check.h"

using kit::Problem;
using kit::Severity;
using testing_support::PeImage;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::U16;
using testing_support::U32;
using testing_support::WriteFileBytes;

namespace {

// A copy of the sample package to break.
class PackageCopy {
 public:
  PackageCopy() {
    for (const auto& file : std::filesystem::directory_iterator(PACKAGE_DIR))
      std::filesystem::copy_file(file.path(), dir_.File(file.path().filename().string()));
  }
  const std::string& dir() const { return dir_.path(); }
  void Edit(const std::string& name, const std::function<void(std::string&)>& change) {
    std::string bytes = ReadFileBytes(dir_.File(name));
    change(bytes);
    WriteFileBytes(dir_.File(name), bytes);
  }
  void Write(const std::string& name, const std::string& bytes) { WriteFileBytes(dir_.File(name), bytes); }
  // A file of the vendor's own, listed at the end of package.list.
  void Add(const std::string& name, const std::string& bytes) {
    Write(name, bytes);
    Edit("package.list", [&](std::string& s) { s += name + "\n"; });
  }
  void Remove(const std::string& name) {
    std::filesystem::remove(dir_.File(name));
    Edit("package.list", [&](std::string& s) {
      const size_t at = s.find(name + "\n");
      if (at != std::string::npos) s.erase(at, name.size() + 1);
    });
  }

 private:
  TempDir dir_;
};

void Replace(std::string& text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  text.replace(at, from.size(), to);
}

std::vector<Problem> Errors(const std::vector<Problem>& problems) {
  std::vector<Problem> errors;
  for (const Problem& p : problems)
    if (p.severity == Severity::kError) errors.push_back(p);
  return errors;
}

std::string Describe(const std::vector<Problem>& problems) {
  std::string text;
  for (const Problem& p : problems) text += kit::FormatProblem("PKG", p, false) + "\n";
  return text;
}

struct Fault {
  const char* what;
  std::function<void(PackageCopy&)> plant;
  const char* file;
  int line;
  const char* message;  // a part of the expected message
};

}  // namespace

TEST(PackageCheck, SamplePackageHasWarningsOnlyAndNotesThePaperNames) {
  std::vector<Problem> problems = kit::CheckPackage(PACKAGE_DIR);
  EXPECT_TRUE(Errors(problems).empty()) << Describe(problems);
  EXPECT_EQ(kit::CountErrors(problems, false), 0);
  EXPECT_GT(kit::CountErrors(problems, true), 0) << "the placeholders are warnings";
  bool noted = false;
  for (const Problem& p : problems) {
    if (p.severity != Severity::kNote || p.message.find("paper sizes") == std::string::npos) continue;
    noted = true;
    // "Model=Rillo5" is not the 58 mm model line: the sample gets the 80 mm names.
    EXPECT_NE(p.message.find("'Paper Size(80 x 210)'"), std::string::npos) << p.message;
  }
  EXPECT_TRUE(noted);
}

TEST(PackageCheck, EachPlantedFaultIsOneErrorAtItsFileAndLine) {
  const Fault faults[] = {
      {"listed but missing", [](PackageCopy& p) { p.Edit("package.list", [](std::string& s) { s += "Extra.txt\n"; }); },
       "package.list", 31, "'Extra.txt' is not a file in the package folder"},
      {"64-bit build before its 32-bit file",
       [](PackageCopy& p) {
         p.Edit("package.list", [](std::string& s) { Replace(s, "rillo80d.dll\nrillo80d.dll.x64\n", "rillo80d.dll.x64\nrillo80d.dll\n"); });
       },
       "package.list", 10, "does not follow 'rillo80d.dll' directly"},
      {"start-up file after the driver files",
       [](PackageCopy& p) {
         p.Edit("package.list", [](std::string& s) {
           Replace(s, "Logo.bmp\n", "");
           s += "Logo.bmp\n";
         });
       },
       "package.list", 30, "'Logo.bmp' comes after 'newrillo58f.dll' (line 6)"},
      {"no 64-bit build of the rendering plug-in",
       [](PackageCopy& p) { p.Remove("rillo80d.dll.x64"); },
       "package.list", 0, "no entry 'rillo80d.dll.x64': the 64-bit driver staging takes it"},
      {"a file the staging needs not listed",
       [](PackageCopy& p) { p.Edit("package.list", [](std::string& s) { Replace(s, "RILLO80.gpd\n", ""); }); },
       "package.list", 0, "no entry 'RILLO80.GPD'"},
      {"listed twice in another case",
       [](PackageCopy& p) {
         p.Write("logo.bmp", ReadFileBytes(testing_support::PackageFile("Logo.bmp")));
         p.Edit("package.list", [](std::string& s) { Replace(s, "Logo.bmp\n", "Logo.bmp\nlogo.bmp\n"); });
       },
       "package.list", 7, "'logo.bmp' is listed again (line 6)"},
      {"two separators left out",
       [](PackageCopy& p) {
         p.Edit("InstallConfig_cn.txt", [](std::string& s) {
           // The separator after the title line becomes the sixth.
           Replace(s, std::string(50, '=') + "\r\n", "");
           Replace(s, std::string(50, '=') + "\r\n", "");
         });
       },
       "InstallConfig_cn.txt", 0, "5 of the 6 separator lines"},
      {"printer name the start-up refuses",
       [](PackageCopy& p) {
         p.Edit("InstallConfig_cn.txt", [](std::string& s) { Replace(s, "\r\nRillo-58-Series\r\n", "\r\nRillo*58\r\n"); });
       },
       "InstallConfig_cn.txt", 31, "printer name 'Rillo*58' is refused at start-up"},
      {"a name line left out",
       [](PackageCopy& p) {
         p.Edit("InstallConfig_cn.txt", [](std::string& s) { Replace(s, "Rillo-58-Series PORT:\r\n", ""); });
       },
       "InstallConfig_cn.txt", 0, "5 name lines after the sections"},
      {"bare LF line ends",
       [](PackageCopy& p) {
         p.Edit("InstallConfig_en.txt", [](std::string& s) {
           std::string lf;
           for (char c : s)
             if (c != '\r') lf += c;
           s = lf;
         });
       },
       "InstallConfig_en.txt", 33, "line ends without CR LF"},
      {"a name line over 254 bytes",
       [](PackageCopy& p) {
         p.Edit("InstallConfig_en.txt", [](std::string& s) {
           Replace(s, "Rillo-58-Series Printer Driver Setup", std::string(300, 'T'));
         });
       },
       "InstallConfig_en.txt", 33, "line of more than 252 bytes before its CR LF"},
      {"a name line of 253 bytes: the CR is read with the 254, the LF takes a name",
       [](PackageCopy& p) {
         p.Edit("InstallConfig_en.txt", [](std::string& s) {
           Replace(s, "Rillo-58-Series Printer Driver Setup", std::string(253, 'T'));
         });
       },
       "InstallConfig_en.txt", 33, "line of more than 252 bytes before its CR LF"},
      {"a comma in the printer name",
       [](PackageCopy& p) {
         p.Edit("InstallConfig_en.txt", [](std::string& s) { Replace(s, "\r\nRillo-58-Series\r\n", "\r\nZeta,80C\r\n"); });
       },
       "InstallConfig_en.txt", 35, "printer name 'Zeta,80C' is refused at start-up"},
      {"a backslash in the driver name",
       [](PackageCopy& p) {
         p.Edit("InstallConfig_cn.txt", [](std::string& s) { Replace(s, "Rillo-58-Series Driver", "Rillo\\58 Driver"); });
       },
       "InstallConfig_cn.txt", 32, "driver name 'Rillo\\58 Driver' holds a backslash"},
      {"a comma in the monitor name",
       [](PackageCopy& p) {
         p.Edit("InstallConfig_cn.txt", [](std::string& s) { Replace(s, "Rillo-58-Series Monitor", "Rillo,58 Monitor"); });
       },
       "InstallConfig_cn.txt", 33, "monitor name 'Rillo,58 Monitor' holds a comma"},
      {"a port name longer than the monitor takes",
       [](PackageCopy& p) {
         p.Edit("InstallConfig_en.txt", [](std::string& s) { Replace(s, "Rillo-58-Series PORT:", std::string(201, 'P')); });
       },
       "InstallConfig_en.txt", 38, "has 201 characters: the package's port monitor takes at most 200"},
      {"UTF-8 text",
       [](PackageCopy& p) {
         p.Edit("InstallConfig_en.txt", [](std::string& s) {
           Replace(s, "Rillo-58-Series thermal", "Rillo-58-Series\xE2\x84\xA2 thermal");
         });
       },
       "InstallConfig_en.txt", 4, "UTF-8 text"},
      {"an empty licence", [](PackageCopy& p) { p.Write("License_cn.txt", "\r\n  \r\n"); }, "License_cn.txt", 0,
       "empty: the licence page would show nothing"},
      {"a byte that is no GBK character",
       [](PackageCopy& p) { p.Edit("License_en.txt", [](std::string& s) { s.insert(s.find('\n') + 1, "\xFF"); }); },
       "License_en.txt", 2, "byte 0xFF"},
      {"GPD without its resource DLL line",
       [](PackageCopy& p) { p.Edit("RILLO80.gpd", [](std::string& s) { Replace(s, "*ResourceDLL:", "*ResourceFile:"); }); },
       "RILLO80.gpd", 0, "no '*ResourceDLL:' line"},
      {"picture line with a word for a number",
       [](PackageCopy& p) { p.Edit("UIConfig.txt", [](std::string& s) { Replace(s, "Logo=280, 30,", "Logo=280, top,"); }); },
       "UIConfig.txt", 9, "value 2 ('top') is not an integer"},
      {"picture line with four values",
       [](PackageCopy& p) {
         p.Edit("UIConfig.txt", [](std::string& s) { Replace(s, "Picture=10, 10, 169,", "Picture=10, 169,"); });
       },
       "UIConfig.txt", 10, "4 values; a picture line has five"},
      {"picture key inside another key",
       [](PackageCopy& p) { p.Edit("UIConfig.txt", [](std::string& s) { Replace(s, "ShowTools=1", "ShowLogo=1"); }); },
       "UIConfig.txt", 16, "'Logo=' does not start the line"},
      {"32-bit logo", [](PackageCopy& p) { p.Edit("Logo.bmp", [](std::string& s) { s[28] = 32; }); }, "Logo.bmp", 0,
       "32 bits per pixel"},
      {"logo stored top-down",
       [](PackageCopy& p) { p.Edit("Logo.bmp", [](std::string& s) { s.replace(22, 4, U32(uint32_t(-54))); }); },
       "Logo.bmp", 0, "rows stored top-down"},
      {"compressed logo", [](PackageCopy& p) { p.Edit("Logo.bmp", [](std::string& s) { s[30] = 1; }); }, "Logo.bmp",
       0, "compressed (method 1)"},
      {"side artwork of another size",
       [](PackageCopy& p) { p.Edit("Left.bmp", [](std::string& s) { s.replace(18, 4, U32(170)); }); }, "Left.bmp",
       0, "170 x 295 pixels: the wizard paints the side artwork at 169 x 295"},
      {"side artwork cut short", [](PackageCopy& p) { p.Edit("Left.bmp", [](std::string& s) { s.resize(1000); }); },
       "Left.bmp", 0, "pixel rows reach past the end"},
      {"logo that is no bitmap", [](PackageCopy& p) { p.Write("Logo.bmp", "GIF89a"); }, "Logo.bmp", 0,
       "not a BMP file"},
      {"64-bit build in place of the 32-bit one",
       [](PackageCopy& p) { p.Write("rillo80d.dll", PeImage(0x8664)); }, "rillo80d.dll", 0,
       "PE machine 0x8664 (x86-64): a file without '.x64' must be an i386 build"},
      {"32-bit build in place of the 64-bit one",
       [](PackageCopy& p) { p.Write("UNIDRV.DLL.x64", PeImage(0x14C)); }, "UNIDRV.DLL.x64", 0,
       "PE machine 0x014c (i386): a '.x64' file must be an x86-64 build"},
      {"Setup.ini with a version that is no version",
       [](PackageCopy& p) { p.Add("Setup.ini", "[Setup]\r\nVersion=2.x\r\nPublisher=Zeta Printing\r\n"); },
       "Setup.ini", 2, "Version=2.x is not one to four numbers"},
      {"Setup.ico that is no icon", [](PackageCopy& p) { p.Add("Setup.ico", std::string(40, '\x7F')); },
       "Setup.ico", 0, "not an icon file"},
      {"Setup.ico whose image reaches past its end",
       [](PackageCopy& p) {
         p.Add("Setup.ico", U16(0) + U16(1) + U16(1) + std::string("\x20\x20\0\0", 4) + U16(1) + U16(32) + U32(4000) + U32(22) +
                                std::string(100, '\0'));
       },
       "Setup.ico", 0, "image 1 reaches past the end of the file"},
      {"damaged program", [](PackageCopy& p) { p.Write("Uninstaller.exe", "MZ" + std::string(100, '\x7F')); },
       "Uninstaller.exe", 0, "damaged PE file"},
  };
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.what);
    PackageCopy package;
    fault.plant(package);
    std::vector<Problem> errors = Errors(kit::CheckPackage(package.dir()));
    ASSERT_EQ(errors.size(), 1u) << Describe(errors);
    EXPECT_EQ(errors[0].file, fault.file);
    EXPECT_EQ(errors[0].line, fault.line);
    EXPECT_NE(errors[0].message.find(fault.message), std::string::npos) << errors[0].message;
  }
}

// Every line of a text file with bytes that are no GBK is reported, each with its
// line; UTF-8 text is named as such.
TEST(PackageCheck, EveryBadLineOfATextFileIsReported) {
  PackageCopy package;
  const char licence[] = "Licence\r\n\xFF first\r\nfine\r\nUTF-8 \xE2\x84\xA2\r\nA\0B\r\n\x81\r\n";
  package.Write("License_en.txt", std::string(licence, sizeof licence - 1));
  const std::vector<Problem> errors = Errors(kit::CheckPackage(package.dir()));
  ASSERT_EQ(errors.size(), 4u) << Describe(errors);
  const struct {
    int line;
    const char* message;
  } expected[] = {{2, "byte 0xFF at column 1"}, {4, "UTF-8 text"}, {5, "a NUL byte at column 2"},
                  {6, "byte 0x81 at column 1"}};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(errors[i].file, "License_en.txt");
    EXPECT_EQ(errors[i].line, expected[i].line);
    EXPECT_NE(errors[i].message.find(expected[i].message), std::string::npos) << errors[i].message;
  }
}

// Chinese that is GBK and happens to be UTF-8 as well is taken as GBK, with a
// warning; a printer name outside ASCII depends on the machine's code page; a
// right Setup.ini and Setup.ico are no problem; a name line of 252 bytes is still
// read whole.
TEST(PackageCheck, TextThatIsGbkAndUtf8IsGbkWithAWarning) {
  PackageCopy package;
  // "小票系统 通知 图片" in GBK: every byte pair also makes a valid UTF-8 sequence.
  const std::string both = "\xD0\xA1\xC6\xB1\xCF\xB5\xCD\xB3 \xCD\xA8\xD6\xAA \xCD\xBC\xC6\xAC";
  package.Edit("InstallConfig_cn.txt", [&](std::string& s) {
    Replace(s, "\r\nRillo-58-Series\r\n", "\r\nRillo-58\xC6\xB1\r\n");
    s.insert(0, both + "\r\n");
  });
  package.Edit("InstallConfig_en.txt", [](std::string& s) {
    Replace(s, "Rillo-58-Series Printer Driver Setup", std::string(252, 'T'));
  });
  package.Add("Setup.ini", "[Setup]\r\nVersion=2.1.0.7\r\nPublisher=Zeta Printing\r\n");
  package.Add("Setup.ico", U16(0) + U16(1) + U16(1) + std::string("\x01\x01\0\0", 4) + U16(1) + U16(32) + U32(48) + U32(22) +
                               U32(40) + std::string(44, '\0'));
  const std::vector<Problem> problems = kit::CheckPackage(package.dir());
  EXPECT_TRUE(Errors(problems).empty()) << Describe(problems);
  auto warned = [&](int line, const std::string& part) {
    for (const Problem& p : problems)
      if (p.severity == Severity::kWarning && p.file == "InstallConfig_cn.txt" && p.line == line &&
          p.message.find(part) != std::string::npos)
        return true;
    return false;
  };
  EXPECT_TRUE(warned(1, "reads as GBK, and as UTF-8 too")) << Describe(problems);
  EXPECT_TRUE(warned(32, "printer name 'Rillo-58\xC6\xB1' holds characters outside ASCII")) << Describe(problems);
}

TEST(PackageCheck, RealProgramsOfTheRightMachineAreNeitherWarnedNorFaulted) {
  PackageCopy package;
  package.Write("rillo80d.dll", PeImage(0x14C));
  package.Write("rillo80d.dll.x64", PeImage(0x8664));
  for (const Problem& p : kit::CheckPackage(package.dir())) EXPECT_NE(p.file.rfind("rillo80d.dll", 0), 0u) << p.message;
}

TEST(PackageCheck, WarningsThatAreNotFaults) {
  PackageCopy package;
  package.Edit("InstallConfig_en.txt", [](std::string& s) {
    Replace(s, "Rillo-58-Series Monitor", "Rillo-58 Monitor");
    Replace(s, "Model=Rillo5", "Model=Rillo5\r\nRILLO-SERVICE");
  });
  package.Write("notes.txt", "for us");
  std::vector<Problem> problems = kit::CheckPackage(package.dir());
  EXPECT_TRUE(Errors(problems).empty()) << Describe(problems);
  auto warned = [&](const std::string& file, int line, const std::string& part) {
    for (const Problem& p : problems)
      if (p.severity == Severity::kWarning && p.file == file && p.line == line &&
          p.message.find(part) != std::string::npos)
        return true;
    return false;
  };
  EXPECT_TRUE(warned("InstallConfig_en.txt", 37, "monitor name 'Rillo-58 Monitor' differs")) << Describe(problems);
  EXPECT_TRUE(warned("InstallConfig_en.txt", 40, "printer service name 'RILLO-SERVICE' differs"));
  EXPECT_TRUE(warned("InstallConfig_cn.txt", 0, "no printer service name"));
  EXPECT_FALSE(warned("InstallConfig_en.txt", 0, "no printer service name"));
  EXPECT_TRUE(warned("notes.txt", 0, "not in package.list"));
}
