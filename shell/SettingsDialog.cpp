// The settings dialog (106): picture position, the display-settings and sound dialogs,
// the catalogue page, and the dialog's picture.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstring>

#include "device/ModuleResource.h"
#include "shell/CMoireScreensaver.h"
#include "shell/Settings.h"
#include "shell/SettingsIds.h"

namespace {

// Decodes the picture resource and draws it 1:1 at (12, 12). It is decoded again on every
// paint; a missing resource leaves the dialog without it.
void DrawSettingsPicture(HWND dialog) {
  const void* bytes = nullptr;
  DWORD size = 0;
  if (!LockModuleResourceBytes(g_hInstance, IDR_SETTINGS_PICTURE, L"DDS", bytes, size) || size == 0) return;

  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) return;
  void* copy = GlobalLock(memory);
  if (!copy) {
    GlobalFree(memory);
    return;
  }
  std::memcpy(copy, bytes, size);
  GlobalUnlock(memory);

  IStream* stream = nullptr;
  if (SUCCEEDED(CreateStreamOnHGlobal(memory, FALSE, &stream))) {
    using namespace Gdiplus;
    GpGraphics* graphics = nullptr;
    GpImage* image = nullptr;
    if (DllExports::GdipCreateFromHWND(dialog, &graphics) == Ok &&
        DllExports::GdipLoadImageFromStream(stream, &image) == Ok) {
      UINT width = 0, height = 0;
      DllExports::GdipGetImageWidth(image, &width);
      DllExports::GdipGetImageHeight(image, &height);
      DllExports::GdipDrawImageRectI(graphics, image, 12, 12, INT(width), INT(height));
    }
    // The image reads from the stream, so it goes first; the memory goes last.
    if (image) DllExports::GdipDisposeImage(image);
    if (graphics) DllExports::GdipDeleteGraphics(graphics);
    stream->Release();
  }
  GlobalFree(memory);
}

void InitSettingsDialog(HWND dialog) {
  CMoireScreensaver& app = *g_saverApp;
  SetWindowTextW(dialog, app.windowTitle);
  app.SaveSettings();  // what is in effect now is written at once
  HWND combo = GetDlgItem(dialog, IDC_PICTURE_POSITION);
  for (const wchar_t* text : {L"Stretch", L"Fit", L"Fill"})
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  ShowSettingsTableInDialog(dialog, app.settingsTable);
  SendMessageW(combo, CB_SETCURSEL, GetPicturePosition(), 0);
}

void AcceptSettingsDialog(HWND dialog) {
  CMoireScreensaver& app = *g_saverApp;
  ReadSettingsTableFromDialog(dialog, app.settingsTable);
  // With no selection the position in effect stays; -1 is never stored.
  LRESULT selection = SendDlgItemMessageW(dialog, IDC_PICTURE_POSITION, CB_GETCURSEL, 0, 0);
  int position = selection >= 0 && selection <= 2 ? int(selection) : GetPicturePosition();
  SavePicturePosition(position);
  app.SaveSettings();
  EndDialog(dialog, 1);
}

}  // namespace

void CMoireScreensaver::ShowSettingsDialog() {
  DialogBoxParamW(g_hInstance, MAKEINTRESOURCEW(IDD_SETTINGS), parentWindow, SettingsDialogProcEntry, 0);
}

INT_PTR CALLBACK SettingsDialogProcEntry(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  return HandleSettingsDialogMessage(dialog, message, wparam, lparam);
}

INT_PTR HandleSettingsDialogMessage(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      InitSettingsDialog(dialog);
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(dialog, &paint);
      EndPaint(dialog, &paint);
      DrawSettingsPicture(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDOK:
          AcceptSettingsDialog(dialog);
          return TRUE;
        case IDCANCEL:
          g_saverApp->ReloadSettings();  // drops what the display dialog changed in memory
          EndDialog(dialog, 2);
          return TRUE;
        case IDC_DISPLAY_SETTINGS_BUTTON:
          g_saverApp->ShowDisplaySettingsDialog(dialog);
          return TRUE;
        case IDC_SOUND_SETTINGS_BUTTON:
          DialogBoxParamW(g_hInstance, MAKEINTRESOURCEW(IDD_SOUND), dialog, SoundDialogProcEntry, 0);
          return TRUE;
        case IDC_CATALOGUE_BUTTON:
          OpenUrlInBrowser(kCatalogueUrl);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}
