#include "tests/settings/DialogScript.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

DialogScript* g_running = nullptr;

bool IsDialogClass(HWND window) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  return std::wstring(name) == L"#32770";
}

std::vector<HWND> ThreadDialogs() {
  std::vector<HWND> found;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM list) -> BOOL {
        if (IsDialogClass(window) && IsWindowVisible(window))
          reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

std::wstring WindowText(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1024);
  return text;
}

}  // namespace

DialogScript& DialogScript::On(const std::wstring& caption, Action action) {
  steps_.push_back({caption, std::move(action)});
  return *this;
}

void DialogScript::Run(const std::function<void()>& open, DWORD timeoutMs) {
  g_running = this;
  deadline_ = GetTickCount() + timeoutMs;
  UINT_PTR timer = SetTimer(nullptr, 0, 20, Tick);
  open();
  KillTimer(nullptr, timer);
  g_running = nullptr;
  EXPECT_FALSE(timedOut_) << "the dialogs were still open after " << timeoutMs << " ms, at step " << next_;
  EXPECT_EQ(next_, steps_.size()) << "the dialog closed before every step ran";
}

void CALLBACK DialogScript::Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (g_running) g_running->OnTick();
}

void DialogScript::OnTick() {
  if (busy_) return;
  if (LONG(GetTickCount() - deadline_) > 0) {
    timedOut_ = true;
    for (HWND dialog : ThreadDialogs()) EndDialog(dialog, 0);
    return;
  }
  if (next_ >= steps_.size()) return;
  for (HWND dialog : ThreadDialogs()) {
    if (!IsWindowEnabled(dialog) || WindowText(dialog) != steps_[next_].caption) continue;
    busy_ = true;
    Step& step = steps_[next_++];
    step.action(dialog);
    busy_ = false;
    return;
  }
}

void Click(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  ASSERT_NE(control, nullptr) << "no control " << id;
  PostMessageW(control, BM_CLICK, 0, 0);
}

void ChooseComboItem(HWND dialog, int id, int item) {
  HWND combo = GetDlgItem(dialog, id);
  ASSERT_NE(combo, nullptr) << "no combo box " << id;
  SendMessageW(combo, CB_SETCURSEL, item, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void ChooseTab(HWND dialog, int id, int tab) {
  HWND tabs = GetDlgItem(dialog, id);
  ASSERT_NE(tabs, nullptr) << "no tab control " << id;
  SendMessageW(tabs, TCM_SETCURSEL, tab, 0);
  NMHDR header{tabs, UINT_PTR(id), UINT(TCN_SELCHANGE)};
  SendMessageW(dialog, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&header));
}

void PressKey(HWND control, UINT key) {
  SendMessageW(control, WM_KEYDOWN, key, 1);
  SendMessageW(control, WM_KEYUP, key, 0xC0000001);
}

std::wstring ControlText(HWND dialog, int id) {
  wchar_t text[1024] = {};
  GetDlgItemTextW(dialog, id, text, 1024);
  return text;
}

std::wstring ComboItemText(HWND dialog, int id, int item) {
  HWND combo = GetDlgItem(dialog, id);
  LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, item, 0);
  if (length == CB_ERR) return L"<no item>";
  std::wstring text(size_t(length) + 1, L'\0');
  SendMessageW(combo, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(text.data()));
  text.resize(size_t(length));
  return text;
}

bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
bool IsEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

std::wstring MessageBoxText(HWND box) {
  // The static text of a message box; the longest static if the id differs.
  std::wstring text = ControlText(box, 0xFFFF);
  if (!text.empty()) return text;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[16] = {};
    GetClassNameW(child, name, 16);
    if (_wcsicmp(name, L"Static") != 0) continue;
    std::wstring t = WindowText(child);
    if (t.size() > text.size()) text = t;
  }
  return text;
}
