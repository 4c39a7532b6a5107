// Random library behaviours played through the exchange and compared with a
// model of the collection rules. QUENDLE_MODEL_SEED replaces the seed;
// QUENDLE_MODEL_CASE runs only that case, to replay a failure.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <random>
#include <string>
#include <vector>

#include "exchange.h"
#include "fake_controller.h"
#include "fake_platform.h"

namespace {

const unsigned kDefaultSeed = 20260304;
const int kCases = 5000;
const int kGuardEntries = 2;
const BYTE kGuardByte = 0xA5;
const DWORD kWindowMs = 10000;
const DWORD kPauseMs = 10;

struct ModelCase {
    BYTE packet[8];
    int length;
    int lockCode;
    int sendCode;
    int releaseCode;
    int capacity;
    std::vector<FakePoll> polls;  // polls past these find nothing waiting
    uint16_t failedStatusWaiting;
    DWORD startTick;
    DWORD tickStep;
};

struct ModelOutcome {
    int result;
    std::vector<std::vector<BYTE>> stored;
    int statusCalls;
    int fetchCalls;
    bool endedByStopByte;
};

int Pick(std::mt19937 &generator, int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(generator);
}

int FailureCode(std::mt19937 &generator, int percent)
{
    if (Pick(generator, 0, 99) >= percent) {
        return 0;
    }
    int code = Pick(generator, -100, 100);
    return code != 0 ? code : 1;
}

ModelCase RandomCase(unsigned seed, int index)
{
    std::seed_seq sequence{seed, static_cast<unsigned>(index)};
    std::mt19937 generator(sequence);
    ModelCase c{};
    for (BYTE &byte : c.packet) {
        byte = static_cast<BYTE>(Pick(generator, 0, 255));
    }
    c.length = Pick(generator, 0, 8);
    c.lockCode = FailureCode(generator, 15);
    c.sendCode = FailureCode(generator, 10);
    c.releaseCode = FailureCode(generator, 15);
    c.capacity = Pick(generator, 0, 3);
    const BYTE leads[] = {'A', 'U', 'u', 'N', 0};
    int pollCount = Pick(generator, 0, 8);
    for (int p = 0; p < pollCount; ++p) {
        FakePoll poll{{}, FailureCode(generator, 15)};
        int waiting = Pick(generator, 0, 4);
        for (int r = 0; r < waiting; ++r) {
            FakeResponse response{};
            for (BYTE &byte : response.packet) {
                byte = static_cast<BYTE>(Pick(generator, 0, 255));
            }
            int lead = Pick(generator, 0, 5);
            if (lead < 5) {
                response.packet[0] = leads[lead];
            }
            response.code = FailureCode(generator, 15);
            poll.waiting.push_back(response);
        }
        c.polls.push_back(poll);
    }
    c.failedStatusWaiting = static_cast<uint16_t>(Pick(generator, 0, 4));
    // Half of the windows cross the counter's wrap.
    c.startTick = Pick(generator, 0, 1) != 0 ? 0xFFFFFFFFu - Pick(generator, 0, 30000)
                                          : static_cast<DWORD>(generator());
    // Steps that land exactly on the window's end, and others.
    const DWORD steps[] = {2500, 3330, 5000, 9999, 10000, 10001, 20000};
    int step = Pick(generator, 0, 13);
    c.tickStep = step < 7 ? steps[step] : static_cast<DWORD>(Pick(generator, 300, 12000));
    return c;
}

std::string Describe(const ModelCase &c)
{
    char text[200];
    snprintf(text, sizeof text,
             "length %d, lock %d, send %d, release %d, capacity %d, start tick %lu, step %lu, "
             "failed status waiting %d, polls:",
             c.length, c.lockCode, c.sendCode, c.releaseCode, c.capacity,
             static_cast<unsigned long>(c.startTick), static_cast<unsigned long>(c.tickStep),
             c.failedStatusWaiting);
    std::string description = text;
    for (const FakePoll &poll : c.polls) {
        snprintf(text, sizeof text, " [status %d:", poll.statusCode);
        description += text;
        for (const FakeResponse &response : poll.waiting) {
            snprintf(text, sizeof text, " %02x/%d", response.packet[0], response.code);
            description += text;
        }
        description += "]";
    }
    return description;
}

// The rules: the send fails, or polls go on until the last packet fetched in
// a poll (failed or not) leads with 'A', or until the first clock reading
// after a poll is the window or more past the reading that starts it. Each
// reading advances the fake clock by one step, so the window allows
// ceil(window / step) polls. The result is the latest failure's code, or the
// number of successful fetches, of which the first capacity are stored.
ModelOutcome Expect(const ModelCase &c)
{
    ModelOutcome outcome{c.sendCode != 0 ? -1 : 0, {}, 0, 0, false};
    if (c.sendCode != 0) {
        return outcome;
    }
    int windowPolls = static_cast<int>((kWindowMs + c.tickStep - 1) / c.tickStep);
    int polls = windowPolls;
    for (int p = 0; p < static_cast<int>(c.polls.size()) && p < windowPolls; ++p) {
        const FakePoll &poll = c.polls[p];
        if (poll.statusCode == 0 && !poll.waiting.empty() && poll.waiting.back().packet[0] == 'A') {
            polls = p + 1;
            outcome.endedByStopByte = true;
            break;
        }
    }
    outcome.statusCalls = polls;
    int latestFailure = 0;
    int received = 0;
    for (int p = 0; p < polls && p < static_cast<int>(c.polls.size()); ++p) {
        const FakePoll &poll = c.polls[p];
        if (poll.statusCode != 0) {
            latestFailure = -2;
            continue;
        }
        for (const FakeResponse &response : poll.waiting) {
            ++outcome.fetchCalls;
            if (response.code != 0) {
                latestFailure = -3;
                continue;
            }
            ++received;
            if (static_cast<int>(outcome.stored.size()) < c.capacity) {
                outcome.stored.emplace_back(response.packet, response.packet + 8);
            }
        }
    }
    outcome.result = latestFailure != 0 ? latestFailure : received;
    return outcome;
}

// How many cases met each outcome, to show that the random cases reach them.
struct Tally {
    int sendFailed;
    int statusFailed;
    int fetchFailed;
    int overCapacity;
    int endedByStopByte;
    int none;
};

// Plays the case through the exchange; returns the differences from the
// model, empty when there are none.
std::string Check(const ModelCase &c, Tally *tally)
{
    ResetFakeController();
    ResetFakePlatform();
    g_controller.lockCode = c.lockCode;
    g_controller.sendCodes = {c.sendCode};
    g_controller.releaseCode = c.releaseCode;
    g_controller.exchanges = {c.polls};
    g_controller.failedStatusWaiting = c.failedStatusWaiting;
    g_fake.tickCount = c.startTick;
    g_fake.tickStep = c.tickStep;
    std::vector<BYTE> area((c.capacity + kGuardEntries) * sizeof(ControllerPacket), 0);
    memset(area.data() + c.capacity * sizeof(ControllerPacket), kGuardByte,
           kGuardEntries * sizeof(ControllerPacket));
    ControllerPacket *table = reinterpret_cast<ControllerPacket *>(area.data());

    int result = ExchangeCommand(c.packet, c.length, table, c.capacity);

    ModelOutcome expected = Expect(c);
    tally->sendFailed += expected.result == -1;
    tally->statusFailed += expected.result == -2;
    tally->fetchFailed += expected.result == -3;
    tally->overCapacity += expected.result > c.capacity;
    tally->endedByStopByte += expected.endedByStopByte;
    tally->none += expected.result == 0;
    std::string differences;
    char text[160];
    auto compare = [&](const char *what, long long wanted, long long actual) {
        if (wanted != actual) {
            snprintf(text, sizeof text, "; %s %lld instead of %lld", what, actual, wanted);
            differences += text;
        }
    };
    compare("result", expected.result, result);
    compare("status calls", expected.statusCalls, CountCalls("QuarnGetCadrelResponseStatus"));
    compare("fetch calls", expected.fetchCalls, CountCalls("QuarnGetCadrelResponse"));
    compare("lock calls", 1, CountCalls("QuarnAcquireCadrelLock"));
    compare("send calls", 1, CountCalls("QuarnSendCadrelCommand"));
    compare("release calls", 1, CountCalls("QuarnReleaseCadrelLock"));
    compare("pauses", c.sendCode != 0 ? 0 : 1, static_cast<long long>(g_fake.sleeps.size()));
    if (!g_fake.sleeps.empty()) {
        compare("pause ms", kPauseMs, g_fake.sleeps[0]);
    }

    const std::vector<FakeCall> &calls = g_controller.calls;
    if (calls.empty() || calls.front().name != "QuarnAcquireCadrelLock" ||
        calls.front().arguments != std::vector<int>{0, 1}) {
        differences += "; the lock is not taken first with 0, 1";
    }
    if (calls.empty() || calls.back().name != "QuarnReleaseCadrelLock" ||
        calls.back().arguments != std::vector<int>{0}) {
        differences += "; the lock is not given back last with 0";
    }
    std::vector<BYTE> command(12, 0);
    memcpy(command.data() + 4, c.packet, c.length);
    const std::vector<BYTE> zero(12, 0);
    for (const FakeCall &call : calls) {
        if (call.name == "QuarnSendCadrelCommand" && call.record != command) {
            differences += "; command record " + HexBytes(call.record.data(), 12);
        }
        bool collecting =
            call.name == "QuarnGetCadrelResponseStatus" || call.name == "QuarnGetCadrelResponse";
        if (collecting && call.record != zero) {
            differences += "; " + call.name + " record not zeroed";
        }
    }

    for (int entry = 0; entry < c.capacity + kGuardEntries; ++entry) {
        BYTE wanted[8];
        if (entry >= c.capacity) {
            memset(wanted, kGuardByte, sizeof wanted);
        } else if (entry < static_cast<int>(expected.stored.size())) {
            memcpy(wanted, expected.stored[entry].data(), sizeof wanted);
        } else {
            memset(wanted, 0, sizeof wanted);
        }
        if (memcmp(wanted, table[entry], sizeof wanted) != 0) {
            snprintf(text, sizeof text, "; entry %d: %s instead of %s", entry,
                     HexBytes(table[entry], 8).c_str(), HexBytes(wanted, 8).c_str());
            differences += text;
        }
    }
    return differences;
}

unsigned SeedFromEnvironment()
{
    const char *value = getenv("QUENDLE_MODEL_SEED");
    return value != nullptr ? static_cast<unsigned>(strtoul(value, nullptr, 10)) : kDefaultSeed;
}

TEST(ExchangeModel, MatchesTheCollectionRules)
{
    unsigned seed = SeedFromEnvironment();
    int first = 0;
    int last = kCases - 1;
    const char *only = getenv("QUENDLE_MODEL_CASE");
    if (only != nullptr) {
        first = last = atoi(only);
    }
    testing::Test::RecordProperty("seed", std::to_string(seed));
    printf("exchange model: seed %u, cases %d to %d\n", seed, first, last);

    Tally tally{};
    int failures = 0;
    for (int index = first; index <= last && failures < 10; ++index) {
        ModelCase c = RandomCase(seed, index);
        std::string differences = Check(c, &tally);
        if (!differences.empty()) {
            ADD_FAILURE() << "case " << index << " of seed " << seed << differences << "\n  "
                          << Describe(c) << "\n  replay: QUENDLE_MODEL_SEED=" << seed
                          << " QUENDLE_MODEL_CASE=" << index;
            ++failures;
        }
    }
    printf("exchange model: send failed %d, status failed %d, fetch failed %d, none %d, "
           "more than capacity %d, ended by 'A' %d\n",
           tally.sendFailed, tally.statusFailed, tally.fetchFailed, tally.none,
           tally.overCapacity, tally.endedByStopByte);
}

}  // namespace
