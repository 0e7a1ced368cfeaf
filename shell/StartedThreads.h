#pragma once
// Threads that calls of the program started in its process, held so that the close-down can
// wait until they have ended. Under Wine each Direct3D device starts a command thread that
// ends by itself once the device is gone, closing its own window-system connection on the
// way; the program ends with TerminateProcess, which stops a thread still on that way
// wherever it is, in the middle of freeing C library memory too (measured: exit code 139,
// glibc's free crashing in the stopped command thread, in about one full-screen run in a
// hundred and fifty).
#include <windows.h>

#include <vector>

class StartedThreads {
 public:
  StartedThreads() = default;
  StartedThreads(const StartedThreads&) = delete;
  StartedThreads& operator=(const StartedThreads&) = delete;
  ~StartedThreads();

  // The ids of this process's threads now.
  static std::vector<DWORD> ProcessThreadIds();
  // Holds every thread of the process whose id is not among the earlier ones.
  void AddStartedSince(const std::vector<DWORD>& earlier);
  // Waits until every held thread has ended, at most the milliseconds in all, and lets go
  // of them; true when all of them ended.
  bool WaitForEnd(DWORD milliseconds);
  size_t Count() const { return threads_.size(); }

 private:
  std::vector<HANDLE> threads_;
};
