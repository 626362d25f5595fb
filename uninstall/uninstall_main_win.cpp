// Entry point of the uninstaller: the one application object runs everything.
#include <windows.h>

#include "uninstall/uninstall_app_win.h"

uninstall::UninstallApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return theApp.Run(instance); }
