#include "fake_controller.h"

#include <stdio.h>
#include <string.h>

#include "fake_platform.h"

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

std::string HexBytes(const BYTE *bytes, size_t count)
{
    std::string text;
    char digits[4];
    for (size_t i = 0; i < count; ++i) {
        snprintf(digits, sizeof digits, "%02x ", bytes[i]);
        text += digits;
    }
    return text;
}

static void Record(const char *name, std::vector<int> arguments, const void *record = nullptr)
{
    FakeCall call{name, arguments, {}, g_fake.tickCount, g_fake.sleeps.size()};
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
        // A failing call may leave anything in the record; nothing is fetchable.
        g_controller.pending.clear();
        status->waitingCount = g_controller.failedStatusWaiting;
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
    for (int i = 0; i < kScreenInfoSize; ++i) {
        g_controller.screenInfoDirtyBytes += screenInfo[i] != 0;
    }
    // The library fills the whole buffer; the program does not read it.
    memset(screenInfo, 0xEE, kScreenInfoSize);
    *screenCount = g_controller.screenCount;
    return g_controller.screenCode;
}
}
