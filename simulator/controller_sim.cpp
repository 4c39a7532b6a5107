// A simulated touchscreen controller behind the controller library's calls.
// Each command is answered at once: a write command by one 'A' packet, the
// read-back query by the 'U','N' answer with the stored serial number and
// an 'A' packet.
#include <windows.h>

#include <string.h>

#include <deque>

#include "quarn_pub_if.h"

#define SIM_EXPORT extern "C" __declspec(dllexport)

struct Packet {
    BYTE bytes[8];
};

static std::deque<Packet> g_waiting;
static BYTE g_storedSerial[6];

static void Answer(BYTE lead, BYTE command, const BYTE *data)
{
    Packet packet = {{lead, command}};
    if (data != nullptr) {
        memcpy(packet.bytes + 2, data, 6);
    }
    g_waiting.push_back(packet);
}

SIM_EXPORT int WINAPI QuarnAcquireCadrelLock(int, int)
{
    return 0;
}

SIM_EXPORT int WINAPI QuarnSendCadrelCommand(QuarnCommandRecord *command)
{
    const BYTE *packet = command->packet;
    if (packet[0] == 'U' && packet[1] == 'N') {
        memcpy(g_storedSerial, packet + 2, sizeof g_storedSerial);
    }
    if (packet[0] == 'u' && packet[1] == 'N') {
        Answer('U', 'N', g_storedSerial);
    }
    Answer('A', packet[1], nullptr);
    return 0;
}

SIM_EXPORT int WINAPI QuarnGetCadrelResponseStatus(QuarnResponseStatusRecord *status)
{
    status->waitingCount = static_cast<uint16_t>(g_waiting.size());
    return 0;
}

SIM_EXPORT int WINAPI QuarnGetCadrelResponse(QuarnResponseRecord *response)
{
    if (g_waiting.empty()) {
        return 1;
    }
    memcpy(response->packet, g_waiting.front().bytes, 8);
    g_waiting.pop_front();
    return 0;
}

SIM_EXPORT int WINAPI QuarnReleaseCadrelLock(int)
{
    return 0;
}

SIM_EXPORT int WINAPI QuarnGetScreenInfo(BYTE *, int *screenCount)
{
    *screenCount = 1;
    return 0;
}
