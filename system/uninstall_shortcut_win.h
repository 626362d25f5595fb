// The Start-menu shortcut to the uninstaller.
#pragma once

namespace sys {

// Saves shortcutPath (a ".lnk", created or overwritten) pointing at targetPath, with
// the target's folder as working directory and nothing else set. Initialises COM on
// the calling thread for this alone: on a thread where COM is already initialised it
// does nothing. Reports nothing; when a step fails there is simply no shortcut.
void CreateUninstallShortcut(const char* targetPath, const char* shortcutPath);

}  // namespace sys
