// Dialog state shared by the dialog procedure and the request.
#pragma once
#include <windows.h>

// Milliseconds after the countdown start at which the dialog closes itself.
extern DWORD g_closeInterval;

// Multimedia-timer reading when the countdown began; 0 while none runs.
extern DWORD g_countdownStart;
