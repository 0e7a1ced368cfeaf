// Looks at the settings dialog of a running screensaver from another process, for the
// end-to-end script:
//   settings_probe dialog TITLE SECONDS   waits for the dialog titled TITLE; prints its client
//                                         rectangle on the screen and whether it has an owner
//   settings_probe press TITLE ID         clicks the dialog's control ID
//   settings_probe value NAME             prints the settings key's REG_DWORD NAME, or "absent"
//   settings_probe set NAME VALUE         stores VALUE (decimal) as the settings key's REG_DWORD NAME
//   settings_probe selection TITLE ID     prints the text of the item selected in the dialog's
//                                         combo box ID, or "none"
//   settings_probe clear                  deletes the settings key
//   settings_probe resource FILE ID OUT   writes resource "DDS" ID of the program FILE to OUT
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {
const wchar_t kSettingsKey[] = L"Software\\Quillfen\\Lumetra\\Screensaver";

HWND FindDialog(const wchar_t* title, DWORD waitMs) {
  for (DWORD waited = 0;; waited += 100) {
    HWND dialog = FindWindowW(L"#32770", title);
    if (dialog && IsWindowVisible(dialog) && IsWindowEnabled(dialog)) return dialog;
    if (waited >= waitMs) return nullptr;
    Sleep(100);
  }
}

int ShowDialog(const wchar_t* title, DWORD waitMs) {
  HWND dialog = FindDialog(title, waitMs);
  if (!dialog) {
    wprintf(L"no dialog\n");
    return 1;
  }
  RECT client;
  GetClientRect(dialog, &client);
  POINT origin{0, 0};
  ClientToScreen(dialog, &origin);
  wprintf(L"dialog client=%ld,%ld,%ld,%ld owner=%d\n", origin.x, origin.y, client.right, client.bottom,
          GetWindow(dialog, GW_OWNER) ? 1 : 0);
  return 0;
}

// The control ID of the dialog titled TITLE, once the dialog shows; says so when there is none.
HWND DialogControl(const wchar_t* title, int id, DWORD waitMs) {
  HWND dialog = FindDialog(title, waitMs);
  HWND control = dialog ? GetDlgItem(dialog, id) : nullptr;
  if (!control) wprintf(L"no control\n");
  return control;
}

int Press(const wchar_t* title, int id) {
  HWND control = DialogControl(title, id, 5000);
  if (!control) return 1;
  PostMessageW(control, BM_CLICK, 0, 0);
  return 0;
}

int Value(const wchar_t* name) {
  HKEY key = nullptr;
  DWORD value = 0, type = 0, size = sizeof(value);
  bool found = RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) == ERROR_SUCCESS &&
               RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
               type == REG_DWORD;
  if (key) RegCloseKey(key);
  if (found)
    wprintf(L"%lu\n", value);
  else
    wprintf(L"absent\n");
  return 0;
}

int Set(const wchar_t* name, DWORD value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return 1;
  const LONG rc = RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
  RegCloseKey(key);
  return rc == ERROR_SUCCESS ? 0 : 1;
}

int Selection(const wchar_t* title, int id) {
  HWND combo = DialogControl(title, id, 60000);
  if (!combo) return 1;
  const LRESULT item = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  wchar_t text[100] = L"";
  if (item < 0 || SendMessageW(combo, CB_GETLBTEXTLEN, item, 0) >= 100) {
    wprintf(L"none\n");
    return 0;
  }
  SendMessageW(combo, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(text));
  wprintf(L"%ls\n", text);
  return 0;
}

int Clear() {
  RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
  RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
  return 0;
}

int Resource(const wchar_t* file, int id, const wchar_t* out) {
  HMODULE module = LoadLibraryExW(file, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HRSRC info = module ? FindResourceW(module, MAKEINTRESOURCEW(id), L"DDS") : nullptr;
  const void* bytes = info ? LockResource(LoadResource(module, info)) : nullptr;
  if (!bytes) {
    wprintf(L"no resource\n");
    return 1;
  }
  HANDLE handle = CreateFileW(out, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(handle, bytes, SizeofResource(module, info), &written, nullptr);
  CloseHandle(handle);
  return 0;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::wstring cmd = argv[1];
  int rc = 2;
  if (cmd == L"dialog" && argc > 3) rc = ShowDialog(argv[2], DWORD(_wtoi(argv[3])) * 1000);
  else if (cmd == L"press" && argc > 3) rc = Press(argv[2], _wtoi(argv[3]));
  else if (cmd == L"value" && argc > 2) rc = Value(argv[2]);
  else if (cmd == L"set" && argc > 3) rc = Set(argv[2], DWORD(_wcstoui64(argv[3], nullptr, 10)));
  else if (cmd == L"selection" && argc > 3) rc = Selection(argv[2], _wtoi(argv[3]));
  else if (cmd == L"clear") rc = Clear();
  else if (cmd == L"resource" && argc > 4) rc = Resource(argv[2], _wtoi(argv[3]), argv[4]);
  fflush(stdout);
  return rc;
}
