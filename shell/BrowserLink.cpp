// Opening a web page through the command that the registry names for http links.
#include <string>

#include "shell/Settings.h"

const wchar_t kCatalogueUrl[] = L"http://www.example.com/Lumetra.php";

namespace {
// The command is read with at most this many characters; the command run must fit in as
// many with its terminator.
constexpr size_t kCommandChars = 260;
}

bool OpenUrlInBrowser(const wchar_t* url) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  // One character more than the value may fill, so that the text always ends in a terminator.
  wchar_t command[kCommandChars + 1] = {};
  DWORD type = 0;
  DWORD size = kCommandChars * sizeof(wchar_t);
  LONG result = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(command), &size);
  RegCloseKey(key);
  // A command too long for the buffer fails as a whole instead of running a cut-off one.
  if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  command[size / sizeof(wchar_t)] = L'\0';

  std::wstring line(command);
  size_t quoted = line.find(L"\"%1\"");
  if (quoted != std::wstring::npos)
    line.replace(quoted + 1, 2, url);
  else
    line.append(L" ").append(url);
  if (line.size() >= kCommandChars) return false;

  wchar_t commandLine[kCommandChars] = {};
  line.copy(commandLine, line.size());
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}
