// The scenario of the simulated controller: which calls fail, how commands
// are answered, and the parser of the scenario text (one "name = value"
// setting a line).
#pragma once
#include <windows.h>

// The most 'A' packets that "answer = extra <n>" may add.
const int kMaxExtraAnswers = 1000;

// The commands a setting may be limited to with "on <cmd>": all of them, or
// the one whose packet starts with these two bytes.
struct CommandFilter {
    bool all;
    BYTE bytes[2];
};

// A library call made to fail with code: on every call, or only on the
// first one it applies to after the scenario was read.
struct CallFailure {
    bool failing;
    bool once;
    int code;
    CommandFilter command;  // used by the send call only
};

enum ScreenMode { kScreenOk, kScreenNone, kScreenFail };
enum AnswerMode { kAnswerNormal, kAnswerSilent, kAnswerExtra };

struct Scenario {
    ScreenMode screen;
    int screenCode;
    CallFailure lock;
    CallFailure release;
    CallFailure send;
    CallFailure status;
    CallFailure fetch;
    AnswerMode answer;
    int extraAnswers;
    CommandFilter answerCommand;
    bool onePerPoll;
    DWORD delayMs;
    bool readbackSet;  // false: the read-back carries the stored serial number
    BYTE readback[6];
};

// The healthy controller.
Scenario HealthyScenario();

// The healthy controller changed by each well-formed line of the text, in
// order; lines with unknown names or malformed values change nothing.
Scenario ParseScenario(const char *text, size_t size);

// True when the filter covers the command that starts with these bytes.
bool FilterMatches(const CommandFilter &filter, const BYTE *packet);
