// The six calls of QuarnPubIf.dll, exported by their plain names, in front of
// the simulated controller. The records are checked only for being there;
// their leading fields are not looked at.
#include <windows.h>

#include "controller.h"
#include "quarn_pub_if.h"

#define SIM_EXPORT extern "C" __declspec(dllexport)

// Returned for a missing record or count.
const int kSimBadRecord = 2;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        ControllerStart(instance);
    }
    return TRUE;
}

SIM_EXPORT int WINAPI QuarnAcquireCadrelLock(int, int)
{
    return ControllerLock();
}

SIM_EXPORT int WINAPI QuarnSendCadrelCommand(QuarnCommandRecord *command)
{
    return command == nullptr ? kSimBadRecord : ControllerSend(command->packet);
}

SIM_EXPORT int WINAPI QuarnGetCadrelResponseStatus(QuarnResponseStatusRecord *status)
{
    return status == nullptr ? kSimBadRecord : ControllerStatus(&status->waitingCount);
}

SIM_EXPORT int WINAPI QuarnGetCadrelResponse(QuarnResponseRecord *response)
{
    return response == nullptr ? kSimBadRecord : ControllerFetch(response->packet);
}

SIM_EXPORT int WINAPI QuarnReleaseCadrelLock(int)
{
    return ControllerRelease();
}

// The screen information buffer is left as the caller gave it.
SIM_EXPORT int WINAPI QuarnGetScreenInfo(BYTE *, int *screenCount)
{
    return screenCount == nullptr ? kSimBadRecord : ControllerScreenInfo(screenCount);
}
