#pragma once
// The screensaver host: launch mode, monitors, adapters, screen devices, output windows,
// error state and the settings key. One object lives on WinMain's stack for the whole run;
// window and dialog procedures reach it through g_saver. Its fields are public because the
// window, dialog and settings code of the shell work on them directly.
#include <windows.h>
#include <d3d9.h>

#include <memory>

#include "device/ComRef.h"
#include "shell/DisplayTables.h"
#include "shell/LaunchMode.h"
#include "shell/StartedThreads.h"

class CD3DScreensaver {
 public:
  CD3DScreensaver();

  // Virtual operations, in slot order.
  virtual HRESULT StartUp(HINSTANCE instance);
  virtual HRESULT ExecuteMode();
  virtual void ShowSettingsDialog();
  virtual void LoadSettings();
  virtual void PaintWindow(HWND window, HDC dc);
  virtual LRESULT HandleWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  virtual INT_PTR HandleSoundDialogMessage(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
  virtual bool LookUpErrorText(HRESULT code, wchar_t* buffer, int bufferLength);
  virtual void ActivateScreen(unsigned screen);
  virtual HRESULT OnDirect3DCreated();
  virtual HRESULT AcceptDeviceCaps(const D3DCAPS9& caps, DWORD behaviourFlags, D3DFORMAT format);
  virtual HRESULT AcceptCreatedDevice(IDirect3DDevice9* device);
  virtual HRESULT OnLoopStart();
  virtual HRESULT CreateDeviceResources();
  virtual HRESULT AcquireDeviceResources();
  virtual HRESULT AdvanceFrame();
  virtual HRESULT DrawFrame();
  virtual HRESULT ReleaseDeviceResources();
  virtual HRESULT DestroyDeviceResources();
  virtual HRESULT OnBeforeQuit();
  virtual void HandleMusicEvent(long eventCode);

  // Entry and command line.
  LaunchMode ReadLaunchMode(const wchar_t* commandLine);
  void RunPasswordChange();
  // Start-up's wait for the preview window's first timer tick.
  void WaitForPreviewWindow();
  // True in preview mode when there is no preview window (a parent that is no window) or it
  // is gone with its parent: nothing could ever end the run then.
  bool PreviewWindowGone() const;
  // Deletes the adapter records and lets go of the Direct3D object (end of ExecuteMode).
  void FreeAdapters();
  // Sets the error flag and stores the code (a later failure replaces an earlier code).
  void StoreError(HRESULT code);

  // Output windows and the window procedure.
  HRESULT OpenOutputWindows();
  void EndOnUserInput();
  void CloseDown();
  // Releases and destroys every screen's resources and lets go of the devices and of
  // Direct3D, then waits (a second at most) until the threads the devices started have ended.
  void CloseScreenDevices();

  // Monitors, adapters, display modes and devices.
  void CollectMonitors();
  HRESULT EnumerateAdapters();
  void MatchAdapterMonitor(UINT adapterOrdinal, AdapterEntry& adapter);
  FullScreenModeList ListFullScreenModes(UINT adapterOrdinal, D3DFORMAT desktopFormat);
  // The type's modes among the listed ones, in the formats it renders in; a type with no
  // mode is not kept.
  void AddDeviceType(UINT adapterOrdinal, D3DDEVTYPE deviceType, const FullScreenModeList& listed,
                     AdapterEntry& adapter);
  bool ChooseDepthFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat, D3DFORMAT* depthFormat);
  HRESULT OpenScreenDevices();
  void OpenFullScreenDevices();     // one per monitor whose adapter can open one
  void OpenWindowedScreenDevice();  // the one of the preview or test window
  void PlaceMonitorWindows();       // monitors' rectangles, full-screen windows over them
  void MakeScreenResources();       // every screen's device resources, created and acquired
  bool PickWindowedAdapter(UINT* adapter);
  HRESULT OpenFullScreenDevice(ScreenDevice& screen);
  // Creates the device in the type's current mode, stepping down to smaller modes while
  // creation fails; the failing code when no mode is left.
  HRESULT CreateWithStepDown(ScreenDevice& screen, const AdapterEntry& adapter, DeviceTypeEntry& type,
                             bool* steppedDown);
  HRESULT OpenWindowedDevice(ScreenDevice& screen);
  // The screen's device as its fields describe it, on the main window; the threads the
  // creation started join deviceThreads.
  HRESULT CreateScreenDevice(ScreenDevice& screen);
  // The first of the desktop's, 32-bit and 16-bit formats that the type renders windowed in.
  bool ChooseWindowedFormat(UINT adapterOrdinal, const DeviceTypeEntry& type, WindowedCandidate* chosen);
  HRESULT ProbeWindowedMode(UINT adapter, const DeviceTypeEntry& type, WindowedCandidate& candidate);
  // The present parameters of a device in the mode (0 x 0 when windowed: the window's size).
  D3DPRESENT_PARAMETERS PresentParams(const DisplayModeEntry& mode, HWND window, bool windowed) const;
  // The behaviour-flag tries shared by enumeration and the windowed probe: the first
  // combination AcceptDeviceCaps takes, in the order pure, hardware, mixed, software.
  bool ChooseBehaviourFlags(const D3DCAPS9& caps, D3DFORMAT format, DWORD* behaviourFlags);
  // Writes the mode a step-down settled on under the monitor's "Screen %d" key.
  void WriteBackDisplayMode(const AdapterEntry& adapter, unsigned monitorIndex);

  // Error display.
  HRESULT ShowErrorBox(HRESULT code);
  void AnimateErrorMessage();
  // One animation step with a given time step in seconds (the part after the clock).
  void AnimateErrorBoxes(float dt);
  // The rectangle a monitor's error box moves in, in its window's client coordinates.
  RECT ErrorBoxBounds(const MonitorEntry& monitor);
  // The monitor record whose window is the given one, else the one MonitorFromWindow names.
  MonitorEntry* MonitorOfWindow(HWND window);

  // Idle loop, frame step, device selection.
  HRESULT RunIdleLoop();
  HRESULT StepFrame();
  void SelectScreenDevice(unsigned screen);

  // Settings (registry and dialogs).
  void LoadScreenSettings(HKEY key);
  void StoreScreenSettings(HKEY key);
  void ShowDisplaySettingsDialog(HWND owner);
  INT_PTR HandleDisplayDialogMessage(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
  void FillMonitorTab(HWND dialog, unsigned monitorIndex);

  // Fields, in the order the host defines them.
  LaunchMode launchMode;
  int allScreensSame;  // "AllScreensSame"
  HWND mainWindow;     // the first output window
  HWND parentWindow;   // from the command line, 0 when none
  HINSTANCE instance;
  int previewWait;          // set while start-up waits for the preview window's first tick
  unsigned mouseMoveCount;  // moves to a new position since the screen devices opened
  int windowed;             // 1 for preview and test, 0 in full screen
  int errorFlag;
  HRESULT errorCode;
  wchar_t errorText[400];
  MonitorEntry monitors[kMaxMonitors];
  unsigned monitorCount;
  ScreenDevice screenDevices[kMaxScreenDevices];
  unsigned screenDeviceCount;
  std::unique_ptr<AdapterEntry> adapters[kMaxAdapters];
  unsigned adapterCount;
  ComRef<IDirect3D9> d3d;
  IDirect3DDevice9* currentDevice;  // the selected screen device's device, not owned
  RECT renderRect;                  // main window's client rectangle in preview and test mode
  wchar_t windowTitle[200];
  int useDepthBuffer;
  wchar_t settingsKeyPath[200];
  unsigned minDepthBits;
  unsigned minStencilBits;
  D3DSWAPEFFECT fullScreenSwapEffect;
  D3DSWAPEFFECT windowedSwapEffect;
  float appTime;  // seconds since the idle loop started, read once per frame step
  StartedThreads deviceThreads;  // what the devices started; the close-down waits for their end
};

// The registered window procedure of every output window.
LRESULT CALLBACK SaverWindowProcEntry(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

extern CD3DScreensaver* g_saver;
extern HINSTANCE g_hInstance;
extern wchar_t g_settingsKeyPath[200];  // the registry functions' copy of the key path

// The last mouse position the window procedure saw; it outlives device re-opening.
extern POINT g_lastMousePosition;
