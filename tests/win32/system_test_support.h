// Shared by the system tests: running a piece of a test on a fresh thread (COM state
// is per thread, and the installation worker makes its shortcut on a thread of its
// own) and reading a shortcut back through the shell link object.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <objbase.h>
#include <shlguid.h>
#include <shobjidl.h>

#include <functional>
#include <string>

namespace system_test {

inline DWORD WINAPI RunFunction(void* parameter) {
  (*static_cast<std::function<void()>*>(parameter))();
  return 0;
}

inline void RunOnOwnThread(std::function<void()> work) {
  HANDLE thread = CreateThread(nullptr, 0, &RunFunction, &work, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}

struct LinkContents {
  bool loaded = false;
  std::string path;
  std::string workingDirectory;
  std::string arguments;
  std::string description;
};

inline LinkContents ReadLink(const std::string& linkPath) {
  LinkContents contents;
  RunOnOwnThread([&] {
    if (FAILED(CoInitialize(nullptr))) return;
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
      IPersistFile* file = nullptr;
      if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(file->Load(wide, STGM_READ))) {
          contents.loaded = true;
          char text[MAX_PATH] = {};
          link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
          contents.path = text;
          text[0] = '\0';
          link->GetWorkingDirectory(text, MAX_PATH);
          contents.workingDirectory = text;
          text[0] = '\0';
          link->GetArguments(text, MAX_PATH);
          contents.arguments = text;
          text[0] = '\0';
          link->GetDescription(text, MAX_PATH);
          contents.description = text;
        }
        file->Release();
      }
      link->Release();
    }
    CoUninitialize();
  });
  return contents;
}

}  // namespace system_test
