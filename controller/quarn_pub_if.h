// The calls and records of the controller library QuarnPubIf.dll.
// Every call returns 0 on success and a library-defined code otherwise.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

// Command and response packets are 8 bytes of the Cadrel protocol.
typedef BYTE ControllerPacket[8];

// Given to QuarnSendCadrelCommand; the leading field is always 0.
struct QuarnCommandRecord {
    uint32_t reserved;
    BYTE packet[8];
};

// Filled by QuarnGetCadrelResponseStatus; only waitingCount is read.
struct QuarnResponseStatusRecord {
    uint32_t reserved;
    uint16_t waitingCount;
    uint16_t unused;
    uint32_t reserved2;
};

// Filled by QuarnGetCadrelResponse with the oldest waiting packet.
struct QuarnResponseRecord {
    uint32_t reserved;
    BYTE packet[8];
};

static_assert(sizeof(QuarnCommandRecord) == 12, "command record is 12 bytes");
static_assert(offsetof(QuarnCommandRecord, packet) == 4, "packet follows the leading field");
static_assert(sizeof(QuarnResponseStatusRecord) == 12, "status record is 12 bytes");
static_assert(offsetof(QuarnResponseStatusRecord, waitingCount) == 4, "count at byte 4");
static_assert(sizeof(QuarnResponseRecord) == 12, "response record is 12 bytes");
static_assert(offsetof(QuarnResponseRecord, packet) == 4, "packet follows the leading field");

// Size of the buffer that QuarnGetScreenInfo fills.
const int kScreenInfoSize = 1040;

extern "C" {
int WINAPI QuarnAcquireCadrelLock(int reserved, int mode);
int WINAPI QuarnSendCadrelCommand(QuarnCommandRecord *command);
int WINAPI QuarnGetCadrelResponseStatus(QuarnResponseStatusRecord *status);
int WINAPI QuarnGetCadrelResponse(QuarnResponseRecord *response);
int WINAPI QuarnReleaseCadrelLock(int reserved);
int WINAPI QuarnGetScreenInfo(BYTE *screenInfo, int *screenCount);
}
