#include <windows.h>

#include "main_dialog.h"
#include "platform.h"

// Exit code 1: another instance runs or the guard could not be made.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    // Held until the process ends, which closes it; it only keeps a second
    // process out.
    HANDLE mutex = CreateMutexW(nullptr, TRUE, L"quendle-EXE-Mutex-Name");
    if (mutex == nullptr) {
        return 1;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        WCHAR text[64];
        wsprintfW(text, L"%s is already running", L"quendle");
        PlatformMessageBox(nullptr, text, L"quendle", MB_OK | MB_ICONERROR);
        return 1;
    }
    DialogBoxParamW(instance, L"MYDIALOG", nullptr, MainDialogProc, 0);
    return 0;
}
