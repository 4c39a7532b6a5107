#include "exchange.h"

#include <string.h>

#include "operation_log.h"
#include "platform.h"

const DWORD kPauseBeforeCollectMs = 10;
const DWORD kCollectWindowMs = 10000;
const BYTE kStopByte = 'A';
const int kPacketSize = sizeof(ControllerPacket);

static void LogFailedCall(LPCWSTR format, int code)
{
    LogPrintf(format, L"Fail", code);
}

int ExchangeCommand(const BYTE *packet, int length, ControllerPacket *table, int capacity)
{
    int code = QuarnAcquireCadrelLock(0, 1);
    if (code != 0) {
        LogFailedCall(L"QuarnAcquireCadrelLock : %s (Return Code = %d)\n", code);
    }

    QuarnCommandRecord command;
    memset(&command, 0, sizeof command);
    if (length > 0) {
        memcpy(command.packet, packet, length < kPacketSize ? length : kPacketSize);
    }

    int result;
    code = QuarnSendCadrelCommand(&command);
    if (code != 0) {
        LogFailedCall(L"QuarnSendCadrelCommand : %s (Return Code = %d)\n", code);
        result = -1;
    } else {
        PlatformSleep(kPauseBeforeCollectMs);
        result = CollectResponses(table, capacity);
    }

    // Given back in every case, also when taking it failed.
    code = QuarnReleaseCadrelLock(0);
    if (code != 0) {
        LogFailedCall(L"QuarnReleaseCadrelLock : %s (Return Code = %d)\n", code);
    }
    return result;
}

// One poll: the status call and every fetch it announces. Returns the lead
// byte of the last packet fetched, 0 when none was.
static BYTE PollResponses(ControllerPacket *table, int capacity, int *received, int *error)
{
    QuarnResponseStatusRecord status;
    memset(&status, 0, sizeof status);
    int code = QuarnGetCadrelResponseStatus(&status);
    if (code != 0) {
        LogFailedCall(L"QuarnGetCadrelResponseStatus : %s (Return Code = %d)\n", code);
        *error = -2;
        return 0;
    }
    BYTE lastLead = 0;
    for (int i = 0; i < status.waitingCount; ++i) {
        QuarnResponseRecord response;
        memset(&response, 0, sizeof response);
        code = QuarnGetCadrelResponse(&response);
        // A failed fetch still counts as the last one for the stop test.
        lastLead = response.packet[0];
        if (code != 0) {
            LogFailedCall(L"QuarnGetCadrelResponse : %s (Return Code = %d)\n", code);
            *error = -3;
            continue;
        }
        if (*received < capacity) {
            memcpy(table[*received], response.packet, sizeof(ControllerPacket));
        }
        ++*received;
    }
    return lastLead;
}

int CollectResponses(ControllerPacket *table, int capacity)
{
    int error = 0;
    int received = 0;
    DWORD start = PlatformGetTickCount();
    for (;;) {
        if (PollResponses(table, capacity, &received, &error) == kStopByte) {
            break;
        }
        // Unsigned difference: correct across the counter's wrap.
        if (PlatformGetTickCount() - start >= kCollectWindowMs) {
            break;
        }
    }
    return error != 0 ? error : received;
}
