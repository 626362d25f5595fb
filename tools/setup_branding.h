// The vendor's name on a setup program: build writes the package's version and
// publisher (Setup.ini), its product name (the title line of the English install
// configuration) and its icon (Setup.ico) into a copy of setup-stub.exe before the
// package is appended. What the package does not give stays as the stub has it.
#pragma once

#include <string>
#include <vector>

#include "app/setup_info.h"
#include "tools/icon_file.h"
#include "tools/package_check.h"

namespace kit {

constexpr char kSetupIcon[] = "Setup.ico";

struct Branding {
  setup_info::Version version;  // count 0: the stub's version stays
  std::string publisher;        // GBK; empty: the stub's publisher stays
  std::string productName;      // GBK; empty: the stub's product name stays
  std::vector<IconImage> icon;  // empty: the stub's icon stays
};

// What the package in dir, whose list is entries, gives the setup. Empty on
// success; otherwise what could not be read (nothing, for a package that passed
// the check).
std::string ReadBranding(const std::string& dir, const std::vector<ListedEntry>& entries, Branding* branding);

// stub with its version block and, when the branding has one, its icon replaced:
// the icon the shell shows (the first group icon) and the wizard's window icon.
// Empty on success; otherwise why the stub cannot take them.
std::string BrandProgram(const std::vector<unsigned char>& stub, const Branding& branding,
                         std::vector<unsigned char>* out);

}  // namespace kit
