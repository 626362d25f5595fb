// The messages the removal worker posts to the progress window; the only way it
// reaches the window.
#pragma once

#include <windows.h>

namespace uninstall {

// wParam: MAKEWPARAM(phase index, phase count); lParam: the status text, a static
// string (nothing to free).
constexpr UINT kUninstallPhase = WM_APP + 1;
// lParam: a heap RemovalReport the window takes over and deletes.
constexpr UINT kUninstallDone = WM_APP + 2;

}  // namespace uninstall
