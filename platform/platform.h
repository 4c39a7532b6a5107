// The program's seam towards the clocks, the pause and the message boxes.
// quendle.exe links platform.cpp, which forwards each call to the system;
// the tests link a fake that drives time by hand and records the boxes.
#pragma once
#include <windows.h>

// Multimedia timer reading (timeGetTime), milliseconds; wraps at 2^32.
DWORD PlatformTimeGetTime();

// System tick count (GetTickCount), milliseconds; wraps at 2^32.
DWORD PlatformGetTickCount();

// Suspends the thread for the given milliseconds (Sleep).
void PlatformSleep(DWORD milliseconds);

// The local wall-clock time (GetLocalTime).
void PlatformGetLocalTime(SYSTEMTIME *localTime);

// Shows a modal message box (MessageBoxW) and returns the button pressed.
int PlatformMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
