// Scriptable stand-in for the controller library, linked into the tests in
// place of QuarnPubIf.dll. Each sent command starts the next exchange of the
// script; an exchange is a list of polls, each poll the responses waiting at
// that status call. Polls past the end of an exchange find nothing waiting.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "quarn_pub_if.h"

struct FakeResponse {
    BYTE packet[8];
    int code;  // QuarnGetCadrelResponse's result; the packet is delivered even when non-zero
};

struct FakePoll {
    std::vector<FakeResponse> waiting;
    int statusCode;  // non-zero: the status call fails; see failedStatusWaiting
};

// One recorded call: its name, its integer arguments and the 12 bytes of the
// record it was given, as they were on entry, with the fake platform's tick
// count and number of pauses at that moment.
struct FakeCall {
    std::string name;
    std::vector<int> arguments;
    std::vector<BYTE> record;
    DWORD tickCount;
    size_t sleepCount;
};

struct FakeController {
    int lockCode;
    int releaseCode;
    std::vector<int> sendCodes;  // by exchange; 0 past the end
    int screenCode;
    int screenCount;
    int screenInfoDirtyBytes;  // non-zero bytes found in the screen buffer on entry
    uint16_t failedStatusWaiting;  // left as the waiting count by a failing status call
    std::vector<std::vector<FakePoll>> exchanges;
    std::vector<FakeCall> calls;
    int exchangeIndex;  // -1 before the first send
    size_t pollIndex;
    std::vector<FakeResponse> pending;  // announced by the last status call
};

extern FakeController g_controller;

// A healthy controller with one screen and an empty script.
void ResetFakeController();

// A response packet: the bytes given, the rest zero.
FakeResponse Response(const char *bytes, int code = 0);

// Number of recorded calls with that name.
int CountCalls(const char *name);

// Packet or record bytes as "55 4e 00 ", for failure messages.
std::string HexBytes(const BYTE *bytes, size_t count);
