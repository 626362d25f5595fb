#include "monitor/monitor_names.h"

#include "monitor/job_file.h"
#include "monitor/text16.h"

namespace monitor {

std::u16string UiDllNameFor(const std::u16string& monitorPath) {
  const std::u16string name = BaseName(monitorPath);
  const size_t dot = name.rfind(u'.');
  if (dot == std::u16string::npos || dot == 0) return name + u"UI";
  return name.substr(0, dot) + u"UI" + name.substr(dot);
}

bool PrinterNameFromUiDll(const std::u16string& uiPath, std::u16string* printer) {
  const std::u16string name = BaseName(uiPath);
  const std::u16string tail = u"MonUI.dll";
  if (name.size() <= tail.size() || !EndsWithIgnoreCase(name, tail)) return false;
  *printer = name.substr(0, name.size() - tail.size());
  return true;
}

PortNameError CheckPortName(const std::u16string& name) {
  if (name.empty()) return PortNameError::kEmpty;
  if (name.size() > kMaxPortNameChars) return PortNameError::kTooLong;
  for (char16_t c : name)
    if (c < 0x20 || c == 0x7F || c == u'\\' || c == u',') return PortNameError::kBadCharacter;
  return PortNameError::kNone;
}

std::u16string XcvPrinterName(const std::u16string& server, XcvObject kind, const std::u16string& name) {
  std::u16string text;
  if (!server.empty()) {
    if (server.compare(0, 2, u"\\\\") != 0) text = u"\\\\";
    text += server + u"\\";
  }
  text += kind == XcvObject::kMonitor ? u",XcvMonitor " : u",XcvPort ";
  return text + name;
}

std::u16string DefaultFolderFor(const std::u16string& base, const std::u16string& monitorName) {
  const std::u16string part = SanitizeNamePart(monitorName, kMaxDocumentChars);
  if (part.empty() || base.empty()) return std::u16string();
  return base.back() == u'\\' ? base + part : base + u"\\" + part;
}

}  // namespace monitor
