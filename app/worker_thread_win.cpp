#include "app/worker_thread_win.h"

#include <new>

bool WorkerThread::Start(Routine routine, void* argument) {
  if (thread_.valid() || !routine) return false;
  // The block travels to the new thread, which frees it; on failure it is ours again.
  StartBlock* block = new (std::nothrow) StartBlock{routine, argument};
  if (!block) return false;
  HANDLE thread = CreateThread(nullptr, 0, &WorkerThread::ThreadEntry, block, 0, nullptr);
  if (!thread) {
    delete block;
    return false;
  }
  thread_.Reset(thread);
  return true;
}

bool WorkerThread::Wait(DWORD timeoutMs) const {
  return thread_.valid() && WaitForSingleObject(thread_.get(), timeoutMs) == WAIT_OBJECT_0;
}

DWORD WorkerThread::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (!thread_.valid() || !GetExitCodeThread(thread_.get(), &code)) return STILL_ACTIVE;
  return code;
}

DWORD WINAPI WorkerThread::ThreadEntry(void* raw) {
  StartBlock block = *static_cast<StartBlock*>(raw);
  delete static_cast<StartBlock*>(raw);
  return block.routine(block.argument);
}
