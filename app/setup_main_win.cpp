// Entry point of the setup program: the one application object runs everything.
#include <windows.h>

#include "app/setup_app_win.h"

SetupApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
  theApp.SetCommandLine(arguments);
  return theApp.Run(instance);
}
