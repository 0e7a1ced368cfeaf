#pragma once
// The DirectShow graph that plays the scene's music, built once at start-up in full-screen
// and test mode with the main window as the receiver of its events (message 0x8000).
#include <windows.h>

constexpr UINT kMusicEventMessage = 0x8000;

// 1 when the graph was built, else 0.
int InitMusicGraph(HWND notifyWindow);
// The next event code of the graph, or -1.
long GetMusicEvent();
void ReleaseMusicGraph();
