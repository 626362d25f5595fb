// One worker thread: CreateThread behind an owned handle. The wizard runs exactly one
// (the installation); it talks to windows through messages only.
#pragma once

#include <windows.h>

#include "app/unique_handle_win.h"

class WorkerThread {
 public:
  using Routine = DWORD (*)(void* argument);

  WorkerThread() = default;
  // Closing the handle does not stop the thread: a worker still running when its
  // owner goes away keeps running until the process ends.
  ~WorkerThread() = default;
  WorkerThread(WorkerThread&&) noexcept = default;
  WorkerThread& operator=(WorkerThread&&) noexcept = default;

  // Starts routine(argument) at once with the default stack and normal priority.
  // False when the thread could not be created, or this object already holds one.
  bool Start(Routine routine, void* argument);

  bool started() const { return thread_.valid(); }
  // True when the thread has ended within timeoutMs.
  bool Wait(DWORD timeoutMs) const;
  // The routine's result once the thread has ended; STILL_ACTIVE before that.
  DWORD ExitCode() const;

 private:
  struct StartBlock {
    Routine routine;
    void* argument;
  };
  static DWORD WINAPI ThreadEntry(void* block);

  UniqueHandle thread_;
};
