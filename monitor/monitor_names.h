// Names the monitor and its UI derive from one another. The setup program copies the
// monitor as "<printer>Mon.dll" and its UI as "<printer>MonUI.dll" into the system
// folder; a vendor may rename both, as long as the UI's name is the monitor's with
// "UI" before the extension.
#pragma once

#include <cstddef>
#include <string>

namespace monitor {

// "C:\...\Rillo-58-SeriesMon.dll" -> "Rillo-58-SeriesMonUI.dll" (no folder).
std::u16string UiDllNameFor(const std::u16string& monitorPath);

// "C:\...\Rillo-58-SeriesMonUI.dll" -> "Rillo-58-Series"; false when the file name
// does not end in "MonUI.dll" (any case) after at least one character.
bool PrinterNameFromUiDll(const std::u16string& uiPath, std::u16string* printer);

// Registry key names hold at most 255 characters; the spooler's own buffers for a
// port name are smaller still on old systems.
constexpr size_t kMaxPortNameChars = 200;

enum class PortNameError { kNone, kEmpty, kTooLong, kBadCharacter };

// A port is one registry key under the monitor's "Ports": no backslash, no control
// characters, not empty. No comma either: a printer's port field is a comma-separated
// list of ports.
PortNameError CheckPortName(const std::u16string& name);

enum class XcvObject { kMonitor, kPort };

// The printer name OpenPrinter takes for a configuration handle of the monitor or of
// one of its ports: ",XcvMonitor NAME" or, on another machine,
// "\\SERVER\,XcvPort NAME" (server given with or without its leading backslashes).
std::u16string XcvPrinterName(const std::u16string& server, XcvObject kind, const std::u16string& name);

// A new port's folder: base (the common application-data folder) and the monitor's
// name made fit for a folder name; empty when that leaves no name.
std::u16string DefaultFolderFor(const std::u16string& base, const std::u16string& monitorName);

}  // namespace monitor
