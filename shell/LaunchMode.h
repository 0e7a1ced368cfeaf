#pragma once
// What the command line asked the screensaver to do. The values are fixed: they are the
// order in which the modes were defined and are compared as plain integers in places.
enum class LaunchMode : int {
  Settings = 0,        // no switch, or /c: the settings dialog
  Preview = 1,         // /p <hwnd>: a child of the display settings' preview window
  FullScreen = 2,      // /s and any letter not listed here
  Test = 3,            // /t: a 600 x 400 test window
  PasswordChange = 4,  // /a <hwnd>
  NoWindow = 5,        // /r: start-up only, no window
};
