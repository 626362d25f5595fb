#include "app/application_win.h"

int Application::Run(HINSTANCE instance) {
  instance_ = instance;
  if (!InitInstance()) return exitCode_;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return exitCode_;
}
