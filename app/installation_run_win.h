// The installation run: the worker that Next on the destination page starts. It
// unpacks the package into the destination folder, puts the uninstaller's shortcut
// into the Start menu, runs the driver engine (which shows the Printer Settings page
// on its way) and ends on "Setup Complete" or "Installing Fail".
//
// It never touches a window's state directly: the status line, the page and the
// buttons change through messages that the user-interface thread handles.
#pragma once

#include <windows.h>

// Sent by the run to the wizard dialog when the engine has failed (the panel is
// already on page 8): the dialog leaves "Finish" as the only button. wParam and
// lParam 0; the result is not used.
constexpr UINT kWizardInstallationFailed = WM_APP + 0x110;

// The worker's routine; argument is the SetupWizardDialog. Always 0.
DWORD RunInstallation(void* wizard);
