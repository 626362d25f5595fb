// The test framework wants std::mutex and std::condition_variable. The shipped
// 32-bit programs are built with the win32 thread model, whose C++ library has
// neither (it spares setup.exe the pthread emulation, about 110 KB), so the tests
// get these two from Windows' own slim reader/writer locks.
#pragma once

#include <condition_variable>
#include <mutex>

#if !defined(_GLIBCXX_HAS_GTHREADS)
#include <windows.h>

namespace std {

class mutex {
 public:
  mutex() { InitializeSRWLock(&lock_); }
  mutex(const mutex&) = delete;
  mutex& operator=(const mutex&) = delete;
  void lock() { AcquireSRWLockExclusive(&lock_); }
  bool try_lock() { return TryAcquireSRWLockExclusive(&lock_) != 0; }
  void unlock() { ReleaseSRWLockExclusive(&lock_); }
  SRWLOCK* native_handle() { return &lock_; }

 private:
  SRWLOCK lock_;
};

class condition_variable {
 public:
  condition_variable() { InitializeConditionVariable(&cv_); }
  condition_variable(const condition_variable&) = delete;
  condition_variable& operator=(const condition_variable&) = delete;
  void notify_one() { WakeConditionVariable(&cv_); }
  void notify_all() { WakeAllConditionVariable(&cv_); }
  void wait(unique_lock<mutex>& lock) {
    SleepConditionVariableSRW(&cv_, lock.mutex()->native_handle(), INFINITE, 0);
  }
  template <typename Predicate>
  void wait(unique_lock<mutex>& lock, Predicate ready) {
    while (!ready()) wait(lock);
  }

 private:
  CONDITION_VARIABLE cv_;
};

}  // namespace std
#endif
