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
    if (p.severity != Severity::kNote) continue;
    noted = true;
    // "Model=Rillo5" is not the 58 mm model line: the sample gets the 80 mm names.
    EXPECT_NE(p.message.find("'Paper Size(80 x 210)'"), std::string::npos) << p.message;
  }
  EXPECT_TRUE(noted);
}

TEST(PackageCheck, EachPlantedFaultIsOneErrorAtItsFileAndLine) {
  const Fault faults[] = {
      {"listed but missing", [](PackageCopy& p) { p.Edit("package.list", [](std::string& s) { s += "Extra.txt\n"; }); },
       "package.list", 29, "'Extra.txt' is not a file in the package folder"},
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
       "package.list", 28, "'Logo.bmp' comes after 'newrillo58f.dll' (line 6)"},
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
       "InstallConfig_en.txt", 33, "line longer than 254 bytes"},
      {"UTF-8 text",
       [](PackageCopy& p) {
         p.Edit("InstallConfig_en.txt", [](std::string& s) {
           Replace(s, "Rillo-58-Series thermal", "Rillo-58-Series\xE2\x84\xA2 thermal");
         });
       },
       "InstallConfig_en.txt", 4, "UTF-8 text"},
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
