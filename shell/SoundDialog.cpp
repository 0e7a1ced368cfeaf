// The sound dialog (2214): a volume trackbar (top = loud) and a mute check box. It writes
// the registry only; the music picks the values up at its next step.
#include <windows.h>
#include <commctrl.h>

#include "shell/CMoireScreensaver.h"
#include "shell/Settings.h"
#include "shell/SettingsIds.h"

namespace {
// The dialog's own copies of the values; an absent value shows its default.
DWORD s_dialogVolume = 100;
DWORD s_dialogBalance = 50;
DWORD s_dialogMute = 0;
}  // namespace

INT_PTR CALLBACK SoundDialogProcEntry(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  return g_saver->HandleSoundDialogMessage(dialog, message, wparam, lparam);
}

INT_PTR CMoireScreensaver::HandleSoundDialogMessage(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      s_dialogVolume = 100;
      s_dialogBalance = 50;
      s_dialogMute = 0;
      ReadRegistryDword(&s_dialogVolume, kSoundVolumeValue);
      ReadRegistryDword(&s_dialogBalance, kSoundBalanceValue);
      ReadRegistryDword(&s_dialogMute, kMuteSoundValue);
      HWND volume = GetDlgItem(dialog, IDC_VOLUME_TRACKBAR);
      SendMessageW(volume, TBM_SETTICFREQ, 10, 0);
      SendMessageW(volume, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
      SendMessageW(volume, TBM_SETPOS, TRUE, 100 - LPARAM(s_dialogVolume));
      CheckDlgButton(dialog, IDC_MUTE, s_dialogMute ? BST_CHECKED : BST_UNCHECKED);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDOK: {
          LRESULT position = SendDlgItemMessageW(dialog, IDC_VOLUME_TRACKBAR, TBM_GETPOS, 0, 0);
          WriteSoundVolume(static_cast<DWORD>(100 - position));
          WriteSoundBalance(0);  // the dialog has no balance control
          WriteMuteSound(IsDlgButtonChecked(dialog, IDC_MUTE) == BST_CHECKED ? 1 : 0);
          EndDialog(dialog, 1);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, 2);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}
