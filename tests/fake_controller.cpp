#include "fake_controller.h"

#include <string.h>

FakeController g_controller;

void ResetFakeController()
{
    g_controller = FakeController{};
    g_controller.screenCount = 1;
    g_controller.exchangeIndex = -1;
}

FakeResponse Response(const char *bytes, int code)
{
    FakeResponse response{};
    memcpy(response.packet, bytes, strnlen(bytes, sizeof response.packet));
    response.code = code;
    return response;
}

int CountCalls(const char *name)
{
    int count = 0;
    for (const FakeCall &call : g_controller.calls) {
        count += call.name == name;
    }
    return count;
}

static void Record(const char *name, std::vector<int> arguments, const void *record = nullptr)
{
    FakeCall call{name, arguments, {}};
    if (record != nullptr) {
        const BYTE *bytes = static_cast<const BYTE *>(record);
        call.record.assign(bytes, bytes + 12);
    }
    g_controller.calls.push_back(call);
}

extern "C" {

int WINAPI QuarnAcquireCadrelLock(int reserved, int mode)
{
    Record("QuarnAcquireCadrelLock", {reserved, mode});
    return g_controller.lockCode;
}

int WINAPI QuarnSendCadrelCommand(QuarnCommandRecord *command)
{
    Record("QuarnSendCadrelCommand", {}, command);
    ++g_controller.exchangeIndex;
    g_controller.pollIndex = 0;
    size_t index = static_cast<size_t>(g_controller.exchangeIndex);
    return index < g_controller.sendCodes.size() ? g_controller.sendCodes[index] : 0;
}

int WINAPI QuarnGetCadrelResponseStatus(QuarnResponseStatusRecord *status)
{
    Record("QuarnGetCadrelResponseStatus", {}, status);
    size_t index = static_cast<size_t>(g_controller.exchangeIndex);
    if (g_controller.exchangeIndex < 0 || index >= g_controller.exchanges.size() ||
        g_controller.pollIndex >= g_controller.exchanges[index].size()) {
        return 0;
    }
    const FakePoll &poll = g_controller.exchanges[index][g_controller.pollIndex++];
    if (poll.statusCode != 0) {
        return poll.statusCode;
    }
    g_controller.pending = poll.waiting;
    status->waitingCount = static_cast<uint16_t>(poll.waiting.size());
    return 0;
}

int WINAPI QuarnGetCadrelResponse(QuarnResponseRecord *response)
{
    Record("QuarnGetCadrelResponse", {}, response);
    if (g_controller.pending.empty()) {
        return 0;
    }
    FakeResponse next = g_controller.pending.front();
    g_controller.pending.erase(g_controller.pending.begin());
    memcpy(response->packet, next.packet, sizeof next.packet);
    return next.code;
}

int WINAPI QuarnReleaseCadrelLock(int reserved)
{
    Record("QuarnReleaseCadrelLock", {reserved});
    return g_controller.releaseCode;
}

int WINAPI QuarnGetScreenInfo(BYTE *screenInfo, int *screenCount)
{
    Record("QuarnGetScreenInfo", {*screenCount});
    (void)screenInfo;
    *screenCount = g_controller.screenCount;
    return g_controller.screenCode;
}
}
