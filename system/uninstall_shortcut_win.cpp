#include "system/uninstall_shortcut_win.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlguid.h>
#include <shobjidl.h>

#include <memory>
#include <string>

#include "system/ansi_text.h"
#include "system/ansi_text_win.h"

namespace sys {

namespace {

struct ComRelease {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <class Interface>
using ComRef = std::unique_ptr<Interface, ComRelease>;

// COM for one shortcut. Only an apartment this call set up itself is used and torn
// down again: a thread that already had COM (S_FALSE, or another threading model)
// belongs to someone else, and then the shortcut is not made.
class OwnApartment {
 public:
  OwnApartment() : own_(CoInitialize(nullptr) == S_OK) {}
  ~OwnApartment() {
    if (own_) CoUninitialize();
  }
  OwnApartment(const OwnApartment&) = delete;
  OwnApartment& operator=(const OwnApartment&) = delete;
  bool own() const { return own_; }

 private:
  bool own_;
};

}  // namespace

void CreateUninstallShortcut(const char* targetPath, const char* shortcutPath) {
  OwnApartment apartment;
  if (!apartment.own()) return;

  IShellLinkA* rawLink = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&rawLink)))) {
    return;
  }
  ComRef<IShellLinkA> link(rawLink);
  IPersistFile* rawFile = nullptr;
  if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile)))) return;
  ComRef<IPersistFile> file(rawFile);

  // The folder without its trailing backslash; a '\' that is the second byte of a
  // Chinese character is not a separator.
  std::string workingDirectory = FolderOfPath(targetPath, IsSystemLeadByte);
  link->SetPath(targetPath);
  link->SetWorkingDirectory(workingDirectory.c_str());

  wchar_t widePath[MAX_PATH] = {};
  if (MultiByteToWideChar(CP_ACP, 0, shortcutPath, -1, widePath, MAX_PATH) == 0) return;  // too long
  file->Save(widePath, TRUE);
}

}  // namespace sys
