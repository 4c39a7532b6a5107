#include "transfer.h"

#include <string.h>

#include "clock.h"
#include "exchange.h"
#include "operation_log.h"
#include "platform.h"

const int kSerialTextLength = 7;

static void ShowFailure(LPCWSTR text)
{
    PlatformMessageBox(nullptr, text, L"quendle", MB_OK | MB_ICONERROR);
}

// Logs and shows a response count other than the expected one.
static void ReportResponseCount(int count, int expected)
{
    if (count <= 0) {
        LogPrintf(L"%s fail to receive response : %d\n", GetTimestampText(), count);
        ShowFailure(L"fail to receive response");
        return;
    }
    WCHAR text[64];
    wsprintfW(text, L"Number of command response is %d (Should be %d)\n", count, expected);
    LogPrintf(L"%s %s", GetTimestampText(), text);
    ShowFailure(text);
}

// Sends one write command, which expects one response. Returns 1 when more
// than one came; a table that cannot be allocated skips the command.
static int SendWriteCommand(const BYTE *packet, int length)
{
    ControllerPacket *table =
        static_cast<ControllerPacket *>(LocalAlloc(LPTR, sizeof(ControllerPacket)));
    if (table == nullptr) {
        LogPrintf(L"fail to alloc memory\n");
        return 0;
    }
    int count = ExchangeCommand(packet, length, table, 1);
    if (count != 1) {
        ReportResponseCount(count, 1);
    }
    LocalFree(table);
    return count > 1 ? 1 : 0;
}

int WriteSerialNumber(const SerialNumber serialNumber)
{
    const BYTE first[8] = {'U', 'W'};
    if (SendWriteCommand(first, 2) != 0) {
        return 1;
    }
    BYTE second[8] = {'U', 'N'};
    memcpy(second + 2, serialNumber, sizeof(SerialNumber));
    return SendWriteCommand(second, 8);
}

void ReadSerialNumber(SerialNumber serialNumber)
{
    memset(serialNumber, 0, sizeof(SerialNumber));
    ControllerPacket *table =
        static_cast<ControllerPacket *>(LocalAlloc(LPTR, 2 * sizeof(ControllerPacket)));
    if (table == nullptr) {
        LogPrintf(L"fail to alloc memory\n");
        return;
    }
    const BYTE query[8] = {'u', 'N'};
    int count = ExchangeCommand(query, 2, table, 2);
    if (count != 2) {
        ReportResponseCount(count, 2);
    } else if (table[0][0] == 'U' && table[0][1] == 'N') {
        memcpy(serialNumber, table[0] + 2, sizeof(SerialNumber));
    }
    LocalFree(table);
}

// Screen check: reports a failing call or no screen. Returns 1 when a
// screen is present.
static int CheckScreen()
{
    BYTE screenInfo[kScreenInfoSize];
    memset(screenInfo, 0, sizeof screenInfo);
    int screenCount = 0;
    if (QuarnGetScreenInfo(screenInfo, &screenCount) == 0 && screenCount > 0) {
        return 1;
    }
    LogPrintf(L"ERROR : QuarnGetScreenInfo API fail\n");
    ShowFailure(L"QuarnGetScreenInfo API fail");
    return 0;
}

int TransferSerialNumber(WCHAR *serialText, int writeMode)
{
    // The check reports and the commands are sent all the same.
    int result = CheckScreen();

    char bytes[kSerialTextLength] = {0};
    WideCharToMultiByte(CP_ACP, 0, serialText, kSerialTextLength, bytes, kSerialTextLength,
                        nullptr, nullptr);
    SerialNumber serialNumber;
    memcpy(serialNumber, bytes, sizeof serialNumber);

    // After an extra response to a write nothing was read back, so the text
    // still holds what was typed: that must not pass for a verified read.
    if (writeMode && WriteSerialNumber(serialNumber) != 0) {
        return 0;
    }

    ReadSerialNumber(serialNumber);
    memset(bytes, 0, sizeof bytes);
    memcpy(bytes, serialNumber, sizeof serialNumber);
    memset(serialText, 0, 6 * sizeof(WCHAR));
    if (MultiByteToWideChar(CP_ACP, 0, bytes, -1, serialText, kSerialTextLength) == 0) {
        LogPrintf(L"%s ERROR : fail MultiByteToWideChar\n", GetTimestampText());
        ShowFailure(L"fail MultiByteToWideChar");
        return 0;
    }
    return result;
}
