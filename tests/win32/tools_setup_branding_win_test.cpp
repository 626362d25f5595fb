// The vendor's name on a setup, read back by Windows itself: this tree's
// setup-stub.exe given a version, a publisher in Chinese, a product name and an
// icon of one 24 x 24 image by the kit, then the version block read with
// GetFileVersionInfo and the icon loaded from the file as the shell and the
// wizard load it (group icon 128).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tools/setup_branding.h"
#include "win_support.h"

namespace {

std::string U16(uint16_t v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string U32(uint32_t v) { return U16(v & 0xFFFF) + U16(v >> 16); }

// A 24 x 24 icon image of 32 bits a pixel, all pure red, fully opaque: the
// bitmap header (twice the height: colour rows and mask rows), the rows, the mask.
kit::IconImage RedIcon() {
  kit::IconImage image;
  image.width = image.height = 24;
  image.planes = 1;
  image.bitCount = 32;
  image.bytes = U32(40) + U32(24) + U32(48) + U16(1) + U16(32) + U32(0) + U32(24 * 24 * 4) + std::string(16, '\0');
  for (int i = 0; i < 24 * 24; ++i) image.bytes += std::string("\x00\x00\xFF\xFF", 4);  // BGRA
  image.bytes += std::string(24 * 4, '\0');  // mask rows of 32 bits each: nothing masked
  return image;
}

std::wstring VersionString(const std::vector<char>& info, const wchar_t* name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring path = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
  if (!VerQueryValueW(info.data(), path.c_str(), &value, &length) || !value) return L"(none)";
  return std::wstring(static_cast<const wchar_t*>(value));
}

}  // namespace

TEST(SetupBranding, WindowsReadsTheVersionBlockAndTheIconTheKitWrote) {
  const std::string stub = win_support::ReadAll("setup-stub.exe");
  ASSERT_FALSE(stub.empty()) << "no setup-stub.exe in the working folder";
  kit::Branding branding;
  ASSERT_TRUE(setup_info::ParseVersion("2.1.0.7", &branding.version));
  branding.publisher = "Zeta \xB4\xF2\xD3\xA1 Co.";  // GBK
  branding.productName = "Zeta-80C Printer Driver Setup";
  branding.icon.push_back(RedIcon());
  std::vector<unsigned char> out;
  ASSERT_EQ(kit::BrandProgram(std::vector<unsigned char>(stub.begin(), stub.end()), branding, &out), "");
  win_support::ScratchDir dir;
  const std::string path = dir.File("zeta-setup.exe");
  ASSERT_TRUE(win_support::WriteAll(path, std::string(out.begin(), out.end())));

  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, (2u << 16) | 1u);
  EXPECT_EQ(fixed->dwFileVersionLS, (0u << 16) | 7u);
  EXPECT_EQ(fixed->dwProductVersionMS, (2u << 16) | 1u);
  EXPECT_EQ(VersionString(info, L"CompanyName"), L"Zeta \x6253\x5370 Co.");
  EXPECT_EQ(VersionString(info, L"ProductName"), L"Zeta-80C Printer Driver Setup");
  EXPECT_EQ(VersionString(info, L"FileDescription"), L"Zeta-80C Printer Driver Setup");
  EXPECT_EQ(VersionString(info, L"FileVersion"), L"2.1.0.7");
  EXPECT_EQ(VersionString(info, L"ProductVersion"), L"2.1.0.7");
  EXPECT_EQ(VersionString(info, L"OriginalFilename"), L"setup.exe") << "the stub's other texts stay";

  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(102), MAKEINTRESOURCEA(5)), nullptr) << "the wizard's dialog";
  HICON icon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(128), IMAGE_ICON, 0, 0, 0));
  ASSERT_NE(icon, nullptr);
  ICONINFO parts = {};
  ASSERT_TRUE(GetIconInfo(icon, &parts));
  BITMAP colour = {};
  ASSERT_EQ(GetObjectA(parts.hbmColor, sizeof colour, &colour), static_cast<int>(sizeof colour));
  EXPECT_EQ(colour.bmWidth, 24);
  EXPECT_EQ(colour.bmHeight, 24);
  HDC screen = GetDC(nullptr);
  BITMAPINFO wanted = {};
  wanted.bmiHeader.biSize = sizeof wanted.bmiHeader;
  wanted.bmiHeader.biWidth = 24;
  wanted.bmiHeader.biHeight = 24;
  wanted.bmiHeader.biPlanes = 1;
  wanted.bmiHeader.biBitCount = 32;
  std::vector<uint32_t> pixels(24 * 24);
  EXPECT_EQ(GetDIBits(screen, parts.hbmColor, 0, 24, pixels.data(), &wanted, DIB_RGB_COLORS), 24);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(pixels[24 * 12 + 12] & 0xFFFFFF, 0xFF0000u) << "the icon is the kit's red one";
  DeleteObject(parts.hbmColor);
  DeleteObject(parts.hbmMask);
  DestroyIcon(icon);
  FreeLibrary(module);
}
