#pragma once
// Threads that calls of the program started in its process, held so that the close-down can
// wait until they have ended. Under Wine each Direct3D device starts a command thread that
// ends by itself once the device is gone, freeing its GL context and closing its X connection
// on the way; the program ends with TerminateProcess, which stops a thread still on that way
// wherever it is, in the middle of a free of the C library too. Measured: exit code 139 in 3
// of 600 full-screen runs, each core showing that thread (wined3d's command loop returned
// into FreeLibraryAndExitThread) stopped, and glibc's thread clean-up crashing on the heap
// lists it had left half-changed.
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

 private:
  std::vector<HANDLE> threads_;
};
