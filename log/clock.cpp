#include "clock.h"

#include "platform.h"

// Milliseconds to file-time units (100 ns).
const ULONGLONG kFileTimeUnitsPerMs = 10000;

// 0 means not anchored yet.
static ULONGLONG g_anchorTick;
// Local file time at anchoring minus the anchor tick in file-time units.
static ULONGLONG g_anchorBase;
static WCHAR g_timestamp[20];

static ULONGLONG FileTimeToCount(const FILETIME &fileTime)
{
    return (static_cast<ULONGLONG>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
}

void AnchorClock()
{
    g_anchorTick = PlatformTimeGetTime();
    SYSTEMTIME localTime;
    PlatformGetLocalTime(&localTime);
    FILETIME fileTime;
    SystemTimeToFileTime(&localTime, &fileTime);
    g_anchorBase = FileTimeToCount(fileTime) - g_anchorTick * kFileTimeUnitsPerMs;
}

LPCWSTR GetTimestampText()
{
    ULONGLONG reading = PlatformTimeGetTime();
    if (g_anchorTick == 0 || g_anchorTick > reading) {
        AnchorClock();
    }
    ULONGLONG now = PlatformTimeGetTime();
    ULONGLONG count = g_anchorBase + now * kFileTimeUnitsPerMs;
    FILETIME fileTime;
    fileTime.dwLowDateTime = static_cast<DWORD>(count);
    fileTime.dwHighDateTime = static_cast<DWORD>(count >> 32);
    SYSTEMTIME time;
    FileTimeToSystemTime(&fileTime, &time);
    // A year past 9999 would need more than the 19 characters the buffer
    // holds; such a clock shows the last moment that fits.
    if (time.wYear > 9999) {
        time.wYear = 9999;
        time.wMonth = 12;
        time.wDay = 31;
        time.wHour = 23;
        time.wMinute = 59;
        time.wSecond = 59;
    }
    wsprintfW(g_timestamp, L"%4d/%2d/%2d %02d:%02d:%02d", time.wYear, time.wMonth, time.wDay,
              time.wHour, time.wMinute, time.wSecond);
    return g_timestamp;
}
