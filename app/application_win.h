// The application object: the program's whole life runs inside InitInstance, which
// shows its windows as modal dialogs. There is no frame window of our own.
#pragma once

#include <windows.h>

class Application {
 public:
  Application() = default;
  virtual ~Application() = default;
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Runs InitInstance. Only when it returns true does a message loop follow (until
  // WM_QUIT); returning false ends the program at once. Gives the exit code.
  int Run(HINSTANCE instance);

  HINSTANCE instance() const { return instance_; }

 protected:
  virtual bool InitInstance() = 0;
  void SetExitCode(int code) { exitCode_ = code; }
  int ExitCode() const { return exitCode_; }

 private:
  HINSTANCE instance_ = nullptr;
  int exitCode_ = 0;
};
