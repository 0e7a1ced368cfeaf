#include "shell/StartedThreads.h"

#include <tlhelp32.h>

#include <algorithm>

StartedThreads::~StartedThreads() {
  for (HANDLE thread : threads_) CloseHandle(thread);
}

std::vector<DWORD> StartedThreads::ProcessThreadIds() {
  std::vector<DWORD> ids;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return ids;
  const DWORD process = GetCurrentProcessId();
  THREADENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == process) ids.push_back(entry.th32ThreadID);
  CloseHandle(snapshot);
  return ids;
}

void StartedThreads::AddStartedSince(const std::vector<DWORD>& earlier) {
  for (DWORD id : ProcessThreadIds()) {
    if (std::find(earlier.begin(), earlier.end(), id) != earlier.end()) continue;
    // A thread that has ended already cannot be opened any more; nothing to wait for then.
    if (HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, id)) threads_.push_back(thread);
  }
}

bool StartedThreads::WaitForEnd(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  bool allEnded = true;
  for (HANDLE thread : threads_) {
    const DWORD spent = GetTickCount() - start;
    const DWORD left = spent < milliseconds ? milliseconds - spent : 0;
    if (WaitForSingleObject(thread, left) != WAIT_OBJECT_0) allEnded = false;
    CloseHandle(thread);
  }
  threads_.clear();
  return allEnded;
}
