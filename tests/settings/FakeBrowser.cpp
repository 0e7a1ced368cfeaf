// A stand-in web browser: writes the command line it was started with (UTF-8) into the
// file named by its first argument, then ends.
#include <windows.h>
#include <shellapi.h>

#include <string>

int main() {
  const wchar_t* line = GetCommandLineW();
  int count = 0;
  wchar_t** args = CommandLineToArgvW(line, &count);
  if (!args || count < 2) return 2;
  std::wstring target = args[1];
  std::wstring partial = target + L".tmp";

  int bytes = WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
  std::string text(bytes > 0 ? bytes - 1 : 0, '\0');
  if (bytes > 1) WideCharToMultiByte(CP_UTF8, 0, line, -1, text.data(), bytes, nullptr, nullptr);

  HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 3;
  DWORD written = 0;
  WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
  CloseHandle(file);
  // The test waits for the final name, so it never reads a half-written file.
  return MoveFileExW(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}
