#include "main_dialog.h"

#include "clock.h"
#include "dialog_state.h"
#include "platform.h"
#include "request.h"
#include "resource.h"

const UINT_PTR kTickTimerId = 0x7FFF;
const UINT kTickPeriodMs = 100;

static void SetReadMode(HWND dialog, BOOL readMode)
{
    SetDlgItemTextW(dialog, IDOK, readMode ? L"Read" : L"Write and Verify");
    SendDlgItemMessageW(dialog, IDC_SN_EDIT, EM_SETREADONLY, readMode, 0);
}

static void OnInitDialog(HWND dialog)
{
    SetTimer(dialog, kTickTimerId, kTickPeriodMs, nullptr);
    WCHAR seconds[16];
    wsprintfW(seconds, L"%d", static_cast<int>(g_closeInterval / 1000));
    SetDlgItemTextW(dialog, IDC_CLOSE_TIME_EDIT, seconds);
    SendDlgItemMessageW(dialog, IDC_WRITE_RADIO, BM_SETCHECK, 0, 0);
    SendDlgItemMessageW(dialog, IDC_READ_RADIO, BM_SETCHECK, 1, 0);
    SendDlgItemMessageW(dialog, IDC_SN_EDIT, EM_SETREADONLY, TRUE, 0);
    CenterWindow(dialog);
}

static void OnCommand(HWND dialog, WORD id, WORD code)
{
    switch (id) {
    case IDC_WRITE_RADIO:
        if (code == BN_CLICKED) {
            SetReadMode(dialog, FALSE);
        }
        break;
    case IDC_READ_RADIO:
        if (code == BN_CLICKED) {
            SetReadMode(dialog, TRUE);
        }
        break;
    case IDOK:
        if (g_countdownStart == 0) {
            HandleSerialNumberRequest(dialog);
        }
        break;
    case IDCANCEL:
        SendMessageW(dialog, WM_CLOSE, 0, 0);
        break;
    }
}

// Shows the time left and closes the dialog once the close interval has
// passed since the countdown start.
static void ShowCountdown(HWND dialog)
{
    DWORD elapsed = PlatformTimeGetTime() - g_countdownStart;
    // In the closing tick more than the interval may have passed already.
    DWORD left = elapsed < g_closeInterval ? g_closeInterval - elapsed : 0;
    WCHAR text[32];
    wsprintfW(text, L"%d.%.3d", static_cast<int>(left / 1000), static_cast<int>(left % 1000));
    SetDlgItemTextW(dialog, IDC_CLOSE_TIME_TEXT, text);
    if (PlatformTimeGetTime() - g_countdownStart > g_closeInterval) {
        SendMessageW(dialog, WM_CLOSE, 0, 0);
    }
}

static void OnTick(HWND dialog)
{
    // Restarting the timer at the end spaces ticks 100 ms after the previous
    // tick's work.
    KillTimer(dialog, kTickTimerId);
    SetDlgItemTextW(dialog, IDC_NOW_TEXT, GetTimestampText());
    if (g_countdownStart != 0) {
        ShowCountdown(dialog);
    }
    SetTimer(dialog, kTickTimerId, kTickPeriodMs, nullptr);
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 2);
        return TRUE;
    case WM_TIMER:
        OnTick(dialog);
        return TRUE;
    }
    return FALSE;
}

void CenterWindow(HWND window)
{
    RECT desktop;
    RECT rect;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(window, &rect);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    SetWindowPos(window, HWND_TOP, (desktop.right - width) / 2, (desktop.bottom - height) / 2,
                 width, height, SWP_SHOWWINDOW);
}
