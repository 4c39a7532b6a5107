#include "fake_platform.h"

#include "platform.h"

FakePlatform g_fake;

void ResetFakePlatform()
{
    g_fake.multimediaTime = 50000;
    g_fake.tickCount = 70000;
    g_fake.tickStep = 1;
    g_fake.localTime = SYSTEMTIME{2026, 3, 3, 4, 5, 6, 7, 0};
    g_fake.sleeps.clear();
    g_fake.messages.clear();
}

DWORD PlatformTimeGetTime()
{
    return g_fake.multimediaTime;
}

DWORD PlatformGetTickCount()
{
    DWORD reading = g_fake.tickCount;
    g_fake.tickCount += g_fake.tickStep;
    return reading;
}

void PlatformSleep(DWORD milliseconds)
{
    g_fake.sleeps.push_back(milliseconds);
    g_fake.multimediaTime += milliseconds;
    g_fake.tickCount += milliseconds;
}

void PlatformGetLocalTime(SYSTEMTIME *localTime)
{
    *localTime = g_fake.localTime;
}

int PlatformMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    g_fake.messages.push_back(ShownMessage{owner, text, caption, type});
    return IDOK;
}
