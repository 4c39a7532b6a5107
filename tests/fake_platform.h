// Test side of the seam: clocks that move only when told, a pause that
// advances them, and message boxes that are recorded instead of shown.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct ShownMessage {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};

struct FakePlatform {
    DWORD multimediaTime;    // next reading of PlatformTimeGetTime
    DWORD tickCount;         // next reading of PlatformGetTickCount
    DWORD tickStep;          // added to tickCount after each reading
    SYSTEMTIME localTime;    // what PlatformGetLocalTime reports
    std::vector<DWORD> sleeps;
    std::vector<ShownMessage> messages;
};

extern FakePlatform g_fake;

// Sets the clocks to fixed, non-zero readings (tick step 1) and clears the
// records; the local time becomes 2026-03-04 05:06:07.000.
void ResetFakePlatform();
