#include "request.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include <wctype.h>

#include "clock.h"
#include "dialog_state.h"
#include "operation_log.h"
#include "platform.h"
#include "resource.h"
#include "transfer.h"

const int kSerialCapacity = 7;
const int kCloseTimeCapacity = 9;

// Close interval from the close-time field: decimal seconds as the runtime
// reads them (blanks, one sign, digits up to the first other character),
// times 1000 in unsigned 32-bit arithmetic.
static DWORD ReadCloseInterval(HWND dialog)
{
    WCHAR text[kCloseTimeCapacity];
    GetDlgItemTextW(dialog, IDC_CLOSE_TIME_EDIT, text, kCloseTimeCapacity);
    return static_cast<DWORD>(wcstol(text, nullptr, 10)) * 1000u;
}

// Returns 0 when the first character may not start a serial number; the
// operator has then been told.
static int CheckFirstCharacter(HWND dialog, const WCHAR *serialText)
{
    if (serialText[0] == L'\0' || iswalpha(serialText[0])) {
        return 1;
    }
    WCHAR text[128];
    wsprintfW(text,
              L"'%c' is not allowed for first character of S/N.\nFirst character should be alphabet.",
              serialText[0]);
    PlatformMessageBox(dialog, text, L"quendle", MB_OK | MB_ICONINFORMATION);
    return 0;
}

// Shows and logs the serial number read back. Returns 0 when, in write
// mode, it differs from the one written.
static int ReportReadBack(HWND dialog, const WCHAR *writtenText, const WCHAR *serialText,
                          int writeMode)
{
    WCHAR readSerial[kSerialCapacity] = {0};
    wcsncpy(readSerial, serialText, kSerialCapacity - 1);
    WCHAR line[32];
    wsprintfW(line, L"Read S/N=%s", readSerial);
    SetDlgItemTextW(dialog, IDC_READ_SN_TEXT, line);
    if (!writeMode) {
        LogPrintf(L"%s Read=\"%s\"\n", GetTimestampText(), readSerial);
        return 1;
    }
    LogPrintf(L"%s Write=\"%s\", Read=\"%s\"\n", GetTimestampText(), writtenText, readSerial);
    // Case-sensitive; texts of other lengths differ at the shorter one's end.
    return wcsncmp(readSerial, writtenText, kSerialCapacity - 1) == 0;
}

static void RunRequest(HWND dialog)
{
    int writeMode = IsDlgButtonChecked(dialog, IDC_WRITE_RADIO) == BST_CHECKED;

    WCHAR serialText[kSerialCapacity] = {0};
    GetDlgItemTextW(dialog, IDC_SN_EDIT, serialText, kSerialCapacity);
    for (int i = 0; i < kSerialCapacity - 1; ++i) {
        serialText[i] = towupper(serialText[i]);
    }
    // The field shows exactly what is used.
    SetDlgItemTextW(dialog, IDC_SN_EDIT, serialText);

    WCHAR writtenText[kSerialCapacity];
    memcpy(writtenText, serialText, sizeof writtenText);
    if (writeMode && !CheckFirstCharacter(dialog, serialText)) {
        return;
    }

    int verified = 1;
    OpenOperationLog();
    if (TransferSerialNumber(serialText, writeMode) == 1) {
        verified = ReportReadBack(dialog, writtenText, serialText, writeMode);
    }
    CloseOperationLog();

    if (!verified) {
        PlatformMessageBox(dialog, L"S/N verify error", L"quendle", MB_OK | MB_ICONERROR);
        return;
    }
    g_closeInterval = ReadCloseInterval(dialog);
    if (!writeMode) {
        g_countdownStart = PlatformTimeGetTime();
    }
}

void HandleSerialNumberRequest(HWND dialog)
{
    // The failure messages of a transfer have no owner and leave the dialog
    // usable; with the request button disabled (Enter then delivers nothing)
    // no second request can begin inside this one.
    HWND button = GetDlgItem(dialog, IDOK);
    HWND focus = GetFocus();
    EnableWindow(button, FALSE);
    RunRequest(dialog);
    EnableWindow(button, TRUE);
    if (focus == button) {
        SetFocus(button);
    }
}
