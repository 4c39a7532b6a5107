#include "platform.h"

#include <mmsystem.h>

DWORD PlatformTimeGetTime()
{
    return timeGetTime();
}

DWORD PlatformGetTickCount()
{
    return GetTickCount();
}

void PlatformSleep(DWORD milliseconds)
{
    Sleep(milliseconds);
}

void PlatformGetLocalTime(SYSTEMTIME *localTime)
{
    GetLocalTime(localTime);
}

int PlatformMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    return MessageBoxW(owner, text, caption, type);
}
