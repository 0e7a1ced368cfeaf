#pragma once
// Drives modal dialogs the way a user would, from inside their own message loops: each step
// waits until an enabled, visible dialog with its caption is up (a dialog with a modal child
// is disabled), then acts on it. Clicks are posted, so that a click that opens another modal
// dialog returns at once and the next step can drive that one.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class DialogScript {
 public:
  using Action = std::function<void(HWND dialog)>;

  DialogScript& On(const std::wstring& caption, Action action);
  // Runs `open`, which shows a modal dialog and returns when it has closed, while the steps
  // run. When the steps do not finish in time every dialog is ended and the test fails.
  void Run(const std::function<void()>& open, DWORD timeoutMs = 30000);
  size_t StepsDone() const { return next_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  void OnTick();

  struct Step {
    std::wstring caption;
    Action action;
  };
  std::vector<Step> steps_;
  size_t next_ = 0;
  bool busy_ = false;
  bool timedOut_ = false;
  DWORD deadline_ = 0;
};

// What a user does with a dialog's controls.
void Click(HWND dialog, int id);                   // posted BM_CLICK: the control sends its own notification
void ChooseComboItem(HWND dialog, int id, int item);  // selection plus the CBN_SELCHANGE a user's choice sends
void ChooseTab(HWND dialog, int id, int tab);      // selection plus TCN_SELCHANGE
void PressKey(HWND control, UINT key);             // WM_KEYDOWN / WM_KEYUP to the control
std::wstring ControlText(HWND dialog, int id);
std::wstring ComboItemText(HWND dialog, int id, int item);
bool IsChecked(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);
// The text of a message box (its static text control).
std::wstring MessageBoxText(HWND box);
