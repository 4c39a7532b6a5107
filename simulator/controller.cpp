#include "controller.h"

#include <string.h>

#include <string>

#include "scenario.h"
#include "sim_files.h"

// Returned by a fetch when no answer is waiting.
const int kSimNothingWaiting = 1;

// Only the start of a larger scenario file is read.
const DWORD kScenarioLimit = 64 * 1024;

// The longest answer: the read-back's two packets and the extra ones.
const int kMaxAnswerPackets = 2 + kMaxExtraAnswers;

struct Packet {
    BYTE bytes[8];
};

// Whether each "once" failure has been used since the scenario was read.
struct OnceSpent {
    bool lock;
    bool release;
    bool send;
    bool status;
    bool fetch;
};

static BYTE g_scenarioText[kScenarioLimit];
static std::wstring g_statePath;
static std::wstring g_scenarioPath;
static FileStamp g_scenarioStamp;
static Scenario g_scenario;
static OnceSpent g_spent;
static BYTE g_storedSerial[6];

// The answer to the last accepted command; g_answer[g_answerNext] is the
// oldest packet still waiting. It becomes visible g_answerDelay ms after
// g_answerSentAt.
static Packet g_answer[kMaxAnswerPackets];
static int g_answerCount;
static int g_answerNext;
static DWORD g_answerSentAt;
static DWORD g_answerDelay;

static void ReadScenario()
{
    // Taken before reading: a change made meanwhile is seen at the next check.
    g_scenarioStamp = GetFileStamp(g_scenarioPath);
    DWORD size = ReadFileStart(g_scenarioPath, g_scenarioText, sizeof g_scenarioText);
    g_scenario = ParseScenario(reinterpret_cast<const char *>(g_scenarioText), size);
    g_spent = OnceSpent();
}

// A "once" failure applies only to the first call it matches after the
// scenario was read.
static bool FailsNow(const CallFailure &failure, bool *spent, const BYTE *packet)
{
    if (!failure.failing || (packet != nullptr && !FilterMatches(failure.command, packet))) {
        return false;
    }
    if (failure.once) {
        if (*spent) {
            return false;
        }
        *spent = true;
    }
    return true;
}

static void AddAnswer(BYTE lead, BYTE command, const BYTE *data)
{
    if (g_answerCount == kMaxAnswerPackets) {
        return;
    }
    Packet &packet = g_answer[g_answerCount++];
    memset(packet.bytes, 0, sizeof packet.bytes);
    packet.bytes[0] = lead;
    packet.bytes[1] = command;
    if (data != nullptr) {
        memcpy(packet.bytes + 2, data, 6);
    }
}

// The controller answers only its latest command: answers to earlier ones
// that were never fetched are dropped.
static void Answer(const BYTE *packet)
{
    g_answerCount = 0;
    g_answerNext = 0;
    g_answerSentAt = GetTickCount();
    g_answerDelay = g_scenario.delayMs;
    bool chosen = FilterMatches(g_scenario.answerCommand, packet);
    if (chosen && g_scenario.answer == kAnswerSilent) {
        return;
    }
    if (packet[0] == 'u' && packet[1] == 'N') {
        AddAnswer('U', 'N', g_scenario.readbackSet ? g_scenario.readback : g_storedSerial);
    }
    AddAnswer('A', packet[1], nullptr);
    if (chosen && g_scenario.answer == kAnswerExtra) {
        for (int i = 0; i < g_scenario.extraAnswers; ++i) {
            AddAnswer('A', packet[1], nullptr);
        }
    }
}

static int VisibleAnswers()
{
    if (GetTickCount() - g_answerSentAt < g_answerDelay) {
        return 0;
    }
    return g_answerCount - g_answerNext;
}

void ControllerStart(HMODULE module)
{
    std::wstring folder = ModuleFolder(module);
    g_statePath = folder + L"controller-sim.state";
    g_scenarioPath = folder + L"controller-sim.txt";
    // A short file gives its bytes followed by zeros; an absent one all zeros.
    ReadFileStart(g_statePath, g_storedSerial, sizeof g_storedSerial);
    ReadScenario();
}

int ControllerScreenInfo(int *screenCount)
{
    if (!SameFileStamp(GetFileStamp(g_scenarioPath), g_scenarioStamp)) {
        ReadScenario();
    }
    *screenCount = g_scenario.screen == kScreenOk ? 1 : 0;
    return g_scenario.screen == kScreenFail ? g_scenario.screenCode : 0;
}

int ControllerLock()
{
    return FailsNow(g_scenario.lock, &g_spent.lock, nullptr) ? g_scenario.lock.code : 0;
}

int ControllerSend(const BYTE *packet)
{
    if (FailsNow(g_scenario.send, &g_spent.send, packet)) {
        return g_scenario.send.code;
    }
    if (packet[0] == 'U' && packet[1] == 'N') {
        memcpy(g_storedSerial, packet + 2, sizeof g_storedSerial);
        WriteWholeFile(g_statePath, g_storedSerial, sizeof g_storedSerial);
    }
    Answer(packet);
    return 0;
}

int ControllerStatus(uint16_t *waitingCount)
{
    if (FailsNow(g_scenario.status, &g_spent.status, nullptr)) {
        *waitingCount = 0;
        return g_scenario.status.code;
    }
    int visible = VisibleAnswers();
    *waitingCount = static_cast<uint16_t>(g_scenario.onePerPoll && visible > 1 ? 1 : visible);
    return 0;
}

int ControllerFetch(BYTE *packet)
{
    if (FailsNow(g_scenario.fetch, &g_spent.fetch, nullptr)) {
        memset(packet, 0, 8);
        return g_scenario.fetch.code;
    }
    if (VisibleAnswers() == 0) {
        return kSimNothingWaiting;
    }
    memcpy(packet, g_answer[g_answerNext++].bytes, 8);
    return 0;
}

int ControllerRelease()
{
    return FailsNow(g_scenario.release, &g_spent.release, nullptr) ? g_scenario.release.code : 0;
}
