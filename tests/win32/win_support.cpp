#include "win_support.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace win_support {

ScratchDir::ScratchDir() {
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  static int counter = 0;
  char name[MAX_PATH];
  std::snprintf(name, sizeof name, "%swintest-%lu-%d", temp, GetCurrentProcessId(), ++counter);
  CreateDirectoryA(name, nullptr);
  path_ = name;
}

ScratchDir::~ScratchDir() {
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((path_ + "\\*").c_str(), &found);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string n = found.cFileName;
      if (n != "." && n != "..") DeleteFileA((path_ + "\\" + n).c_str());
    } while (FindNextFileA(h, &found));
    FindClose(h);
  }
  RemoveDirectoryA(path_.c_str());
}

std::string ReadAll(const std::string& path) {
  std::string bytes;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return bytes;
  char chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
  std::fclose(f);
  return bytes;
}

bool WriteAll(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

std::string OwnProgramPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  return path;
}

std::string PackagePath(const std::string& name) { return std::string("Z:") + PACKAGE_DIR + "/" + name; }

std::vector<std::string> PackageEntries() {
  std::vector<std::string> names;
  const std::string list = ReadAll(PackagePath("package.list"));
  size_t pos = 0;
  while (pos < list.size()) {
    size_t eol = list.find('\n', pos);
    if (eol == std::string::npos) eol = list.size();
    std::string line = list.substr(pos, eol - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) names.push_back(line);
    pos = eol + 1;
  }
  return names;
}

std::string EnvironmentWithTemp(const std::string& temp) {
  std::string block;
  char* env = GetEnvironmentStringsA();
  for (const char* p = env; *p; p += std::strlen(p) + 1) {
    if (_strnicmp(p, "TMP=", 4) == 0 || _strnicmp(p, "TEMP=", 5) == 0) continue;
    block.append(p).push_back('\0');
  }
  FreeEnvironmentStringsA(env);
  block.append("TMP=" + temp).push_back('\0');
  block.append("TEMP=" + temp).push_back('\0');
  block.push_back('\0');
  return block;
}

}  // namespace win_support
