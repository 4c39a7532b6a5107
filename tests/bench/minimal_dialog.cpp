// The start-up baseline: the same dialog template with a procedure that
// handles nothing. The benchmark ends it with TerminateProcess.
#include <windows.h>

static INT_PTR CALLBACK EmptyDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    DialogBoxParamW(instance, L"MYDIALOG", nullptr, EmptyDialogProc, 0);
    return 0;
}
