#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "exchange.h"
#include "fake_controller.h"
#include "fake_platform.h"
#include "log_file.h"
#include "operation_log.h"

namespace {

const BYTE kGuardByte = 0x5A;
const int kGuardEntries = 2;

std::vector<FakeCall> CallsNamed(const char *name)
{
    std::vector<FakeCall> calls;
    for (const FakeCall &call : g_controller.calls) {
        if (call.name == name) {
            calls.push_back(call);
        }
    }
    return calls;
}

// A status poll that fails with code.
FakePoll FailedPoll(int code)
{
    return FakePoll{{}, code};
}

class ExchangeTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetFakeController();
        ResetFakePlatform();
        // Ten polls fill the window.
        g_fake.tickStep = 1000;
        CloseOperationLog();
        DeleteLogFile();
    }

    void TearDown() override
    {
        CloseOperationLog();
    }

    // One exchange of the read-back query against the scripted polls.
    int Exchange(const std::vector<FakePoll> &polls, ControllerPacket *table, int capacity)
    {
        g_controller.exchanges = {polls};
        const BYTE query[8] = {'u', 'N'};
        return ExchangeCommand(query, 2, table, capacity);
    }
};

// The collection rules: when a poll ends it, what is counted, stored and
// returned.
TEST_F(ExchangeTest, CollectsResponses)
{
    // polls scripted, capacity, tick step, result, packets stored, status calls
    struct Case {
        std::vector<FakePoll> polls;
        int capacity;
        DWORD tickStep;
        int result;
        std::vector<const char *> stored;
        int statusCalls;
    };
    const Case cases[] = {
        // 'U' then 'A' in separate polls: ends right after the 'A'.
        {{{{Response("U1")}, 0}, {{Response("A2")}, 0}}, 2, 1000, 2, {"U1", "A2"}, 2},
        // 'A' followed by 'U' in one poll: only the last packet is tested.
        {{{{Response("A1"), Response("U2")}, 0}}, 2, 1000, 2, {"A1", "U2"}, 10},
        // 'A' then a failed fetch that leaves the record zero: goes on.
        {{{{Response("A1"), Response("", 7)}, 0}}, 2, 1000, -3, {"A1"}, 10},
        // A failed fetch that delivers an 'A' still ends the collection.
        {{{{Response("U1"), Response("A2", 7)}, 0}}, 2, 1000, -3, {"U1"}, 1},
        // More responses than room: all counted, the first stored.
        {{{{Response("U1"), Response("U2"), Response("U3")}, 0}}, 1, 1000, 3, {"U1"}, 10},
        {{{{Response("U1")}, 0}, {{Response("U2")}, 0}, {{Response("A3")}, 0}},
         1, 1000, 3, {"U1"}, 3},
        {{{{Response("U1"), Response("A2")}, 0}}, 0, 1000, 2, {}, 1},
        // Silence: the window is 10000 ms from the reading after the pause.
        {{}, 2, 1000, 0, {}, 10},
        {{}, 2, 2500, 0, {}, 4},
        {{}, 2, 3330, 0, {}, 4},
        {{}, 2, 20000, 0, {}, 1},
        // A failed status poll wins over later responses.
        {{FailedPoll(4), {{Response("U1"), Response("A2")}, 0}}, 2, 1000, -2, {"U1", "A2"}, 2},
        // Of a failed fetch and a failed status poll, the later one wins.
        {{{{Response("U1", 5)}, 0}, FailedPoll(4), {{Response("A2")}, 0}}, 2, 1000, -2, {"A2"}, 3},
        {{FailedPoll(4), {{Response("U1", 5), Response("A2")}, 0}}, 2, 1000, -3, {"A2"}, 2},
    };
    int index = 0;
    for (const Case &c : cases) {
        SetUp();
        g_fake.tickStep = c.tickStep;
        // A failing status call that claims responses must not lead to fetches.
        g_controller.failedStatusWaiting = 2;
        // Room for the capacity, zero-filled as the callers hand it in, and
        // guard entries after it.
        std::vector<BYTE> area((c.capacity + kGuardEntries) * sizeof(ControllerPacket), 0);
        memset(area.data() + c.capacity * sizeof(ControllerPacket), kGuardByte,
               kGuardEntries * sizeof(ControllerPacket));
        ControllerPacket *table = reinterpret_cast<ControllerPacket *>(area.data());

        int result = Exchange(c.polls, table, c.capacity);

        EXPECT_EQ(c.result, result) << "case " << index;
        EXPECT_EQ(c.statusCalls, CountCalls("QuarnGetCadrelResponseStatus")) << "case " << index;
        for (int entry = 0; entry < c.capacity + kGuardEntries; ++entry) {
            ControllerPacket expected;
            if (entry >= c.capacity) {
                memset(expected, kGuardByte, sizeof expected);
            } else if (entry < static_cast<int>(c.stored.size())) {
                memcpy(expected, Response(c.stored[entry]).packet, sizeof expected);
            } else {
                memset(expected, 0, sizeof expected);
            }
            EXPECT_EQ(HexBytes(expected, 8), HexBytes(table[entry], 8))
                << "case " << index << ": entry " << entry;
        }
        ++index;
    }
}

// The pause comes once, after the send and before the first poll; the clock
// is read when the collection starts and after each complete poll only.
TEST_F(ExchangeTest, PausesOnceAndReadsTheClockBetweenPolls)
{
    ControllerPacket table[2] = {};
    int result = Exchange({{{Response("U1"), Response("U2")}, 0}, {{}, 0},
                           {{Response("U3"), Response("A4")}, 0}},
                          table, 2);
    EXPECT_EQ(4, result);

    ASSERT_EQ(1u, g_fake.sleeps.size());
    EXPECT_EQ(10u, g_fake.sleeps[0]);
    std::vector<FakeCall> sends = CallsNamed("QuarnSendCadrelCommand");
    ASSERT_EQ(1u, sends.size());
    EXPECT_EQ(0u, sends[0].sleepCount);
    const DWORD sendTick = sends[0].tickCount;

    // Each poll's calls see one reading; the first poll comes one reading
    // after the pause.
    const char *expected[] = {
        "QuarnAcquireCadrelLock",       "QuarnSendCadrelCommand",
        "QuarnGetCadrelResponseStatus", "QuarnGetCadrelResponse",
        "QuarnGetCadrelResponse",       "QuarnGetCadrelResponseStatus",
        "QuarnGetCadrelResponseStatus", "QuarnGetCadrelResponse",
        "QuarnGetCadrelResponse",       "QuarnReleaseCadrelLock",
    };
    const int poll[] = {-1, -1, 1, 1, 1, 2, 3, 3, 3, 3};
    ASSERT_EQ(sizeof expected / sizeof expected[0], g_controller.calls.size());
    for (size_t i = 0; i < g_controller.calls.size(); ++i) {
        const FakeCall &call = g_controller.calls[i];
        EXPECT_EQ(expected[i], call.name) << "call " << i;
        if (poll[i] > 0) {
            EXPECT_EQ(1u, call.sleepCount) << "call " << i;
            EXPECT_EQ(sendTick + 10 + poll[i] * g_fake.tickStep, call.tickCount) << "call " << i;
        }
    }
    EXPECT_EQ((std::vector<int>{0, 1}), g_controller.calls.front().arguments);
    EXPECT_EQ(std::vector<int>{0}, g_controller.calls.back().arguments);
}

// Each status and response record is all zero when handed to the library,
// also after the library wrote into the previous one.
TEST_F(ExchangeTest, ZeroesEveryRecordBeforeItsCall)
{
    ControllerPacket table[3] = {};
    Exchange({{{Response("UNABCDEF"), Response("U\x01\x02\x03\x04\x05\x06\x07")}, 0},
              {{Response("UN123456")}, 0}},
             table, 3);
    int checked = 0;
    for (const FakeCall &call : g_controller.calls) {
        if (call.name == "QuarnGetCadrelResponseStatus" || call.name == "QuarnGetCadrelResponse") {
            EXPECT_EQ(std::vector<BYTE>(12, 0), call.record) << call.name << " call " << checked;
            ++checked;
        }
    }
    EXPECT_EQ(10 + 3, checked);
}

// The command record: a zero field, then the first length bytes of the
// packet, the rest zero even where an earlier command lay.
TEST_F(ExchangeTest, CopiesOnlyTheGivenLengthIntoTheCommandRecord)
{
    const BYTE packet[8] = {'U', 'N', '2', '3', '4', '5', '6', '7'};
    const int lengths[] = {8, 2, 0, 5, 1, 8};
    g_controller.exchanges.assign(sizeof lengths / sizeof lengths[0], {{{Response("A")}, 0}});
    for (int length : lengths) {
        ControllerPacket table[1] = {};
        EXPECT_EQ(1, ExchangeCommand(packet, length, table, 1)) << "length " << length;
    }
    std::vector<FakeCall> sends = CallsNamed("QuarnSendCadrelCommand");
    ASSERT_EQ(sizeof lengths / sizeof lengths[0], sends.size());
    for (size_t i = 0; i < sends.size(); ++i) {
        BYTE expected[12] = {0};
        memcpy(expected + 4, packet, lengths[i]);
        EXPECT_EQ(HexBytes(expected, 12), HexBytes(sends[i].record.data(), 12))
            << "length " << lengths[i];
    }
}

// Failing library calls: the untimestamped log lines, the result, and the
// lock given back once in every case.
TEST_F(ExchangeTest, LogsEachFailedCall)
{
    // lock, send and release codes, polls scripted, result, status calls, log file
    struct Case {
        int lockCode;
        int sendCode;
        int releaseCode;
        std::vector<FakePoll> polls;
        int result;
        int statusCalls;
        const char *log;
    };
    const std::vector<FakePoll> answered = {{{Response("A")}, 0}};
    const Case cases[] = {
        {0, 5, 0, answered, -1, 0, "QuarnSendCadrelCommand : Fail (Return Code = 5)\r\n"},
        {7, 5, 0, answered, -1, 0,
         "QuarnAcquireCadrelLock : Fail (Return Code = 7)\r\n"
         "QuarnSendCadrelCommand : Fail (Return Code = 5)\r\n"},
        // A lock or release failure changes nothing else.
        {7, 0, -4, answered, 1, 1,
         "QuarnAcquireCadrelLock : Fail (Return Code = 7)\r\n"
         "QuarnReleaseCadrelLock : Fail (Return Code = -4)\r\n"},
        {0, 0, 0, {FailedPoll(8), {{Response("U"), Response("A", 9)}, 0}}, -3, 2,
         "QuarnGetCadrelResponseStatus : Fail (Return Code = 8)\r\n"
         "QuarnGetCadrelResponse : Fail (Return Code = 9)\r\n"},
        // A status call that keeps failing: one line per poll for the window.
        {0, 0, 0, std::vector<FakePoll>(50, FailedPoll(3)), -2, 10,
         "QuarnGetCadrelResponseStatus : Fail (Return Code = 3)\r\n"
         "QuarnGetCadrelResponseStatus : Fail (Return Code = 3)\r\n"
         "QuarnGetCadrelResponseStatus : Fail (Return Code = 3)\r\n"
         "QuarnGetCadrelResponseStatus : Fail (Return Code = 3)\r\n"
         "QuarnGetCadrelResponseStatus : Fail (Return Code = 3)\r\n"
         "QuarnGetCadrelResponseStatus : Fail (Return Code = 3)\r\n"
         "QuarnGetCadrelResponseStatus : Fail (Return Code = 3)\r\n"
         "QuarnGetCadrelResponseStatus : Fail (Return Code = 3)\r\n"
         "QuarnGetCadrelResponseStatus : Fail (Return Code = 3)\r\n"
         "QuarnGetCadrelResponseStatus : Fail (Return Code = 3)\r\n"},
    };
    int index = 0;
    for (const Case &c : cases) {
        SetUp();
        g_controller.lockCode = c.lockCode;
        g_controller.sendCodes = {c.sendCode};
        g_controller.releaseCode = c.releaseCode;
        // A failing status call that claims responses must not lead to fetches.
        g_controller.failedStatusWaiting = 3;
        ControllerPacket table[2] = {};

        OpenOperationLog();
        int result = Exchange(c.polls, table, 2);
        CloseOperationLog();

        EXPECT_EQ(c.result, result) << "case " << index;
        EXPECT_EQ(c.statusCalls, CountCalls("QuarnGetCadrelResponseStatus")) << "case " << index;
        EXPECT_EQ(c.sendCode != 0 ? 0u : 1u, g_fake.sleeps.size()) << "case " << index;
        EXPECT_EQ(1, CountCalls("QuarnAcquireCadrelLock")) << "case " << index;
        EXPECT_EQ(1, CountCalls("QuarnReleaseCadrelLock")) << "case " << index;
        EXPECT_EQ("QuarnReleaseCadrelLock", g_controller.calls.back().name) << "case " << index;
        EXPECT_EQ(c.log, ReadLogFile()) << "case " << index;
        ++index;
    }
}

// The window is measured across the tick counter's wrap.
TEST_F(ExchangeTest, WindowStraddlesTheTickCounterWrap)
{
    // tick count before the exchange, tick step, status calls
    struct Case {
        DWORD startTick;
        DWORD tickStep;
        int statusCalls;
    };
    const Case cases[] = {
        {0xFFFFF000, 1000, 10},
        {0xFFFFD8E6, 1000, 10},  // the last reading is 0
        {0xFFFFFFF6, 2500, 4},   // the collection starts at 0
    };
    int index = 0;
    for (const Case &c : cases) {
        SetUp();
        g_fake.tickCount = c.startTick;
        g_fake.tickStep = c.tickStep;
        ControllerPacket table[2] = {};
        EXPECT_EQ(0, Exchange({}, table, 2)) << "case " << index;
        EXPECT_EQ(c.statusCalls, CountCalls("QuarnGetCadrelResponseStatus")) << "case " << index;
        ++index;
    }
}

}  // namespace
