#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "sim_library.h"

const char kHealthySteps[] = "screen UW UN:ABC uN";
const char kHealthyTrace[] =
    "S0/1 | L0 C0 Q0:1 F0:AW R0 | L0 C0 Q0:1 F0:AN R0 | L0 C0 Q0:2 F0:UNABC F0:AN R0";

class SimulatorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CreateSimFolder(&sim_));
        ASSERT_TRUE(LoadSim(&sim_));
    }
    void TearDown() override { DeleteSimFolder(&sim_); }

    // A fresh start of the DLL with this scenario and no stored serial number.
    void Restart(const std::string &scenario)
    {
        UnloadSim(&sim_);
        DeleteFileW((sim_.folder + L"controller-sim.state").c_str());
        WriteSimFile(sim_, L"controller-sim.txt", scenario);
        ASSERT_TRUE(LoadSim(&sim_));
    }

    // Sets the scenario's last-write time to seconds after an hour ago.
    void SetScenarioTime(int seconds)
    {
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        ULONGLONG ticks = ((static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime) +
                          (seconds - 3600) * 10000000LL;
        HANDLE file = CreateFileW((sim_.folder + L"controller-sim.txt").c_str(),
                                  FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        FILETIME time = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
        SetFileTime(file, nullptr, nullptr, &time);
        CloseHandle(file);
    }

    SimLibrary sim_ = {};
};

TEST_F(SimulatorTest, HealthyControllerAnswersEveryCommand)
{
    EXPECT_EQ(kHealthyTrace, RunSteps(sim_, kHealthySteps));
    EXPECT_EQ(std::string("ABC\0\0\0", 6), ReadSimFile(sim_, L"controller-sim.state"));
    // An unknown command draws one 'A' packet with its command letter.
    EXPECT_EQ("L0 C0 Q0:1 F0:AY R0", RunSteps(sim_, "XY"));
}

TEST_F(SimulatorTest, StoredSerialNumberSurvivesReload)
{
    RunSteps(sim_, "UN:QX7");
    UnloadSim(&sim_);
    ASSERT_TRUE(LoadSim(&sim_));
    EXPECT_EQ("L0 C0 Q0:2 F0:UNQX7 F0:AN R0", RunSteps(sim_, "uN"));
}

TEST_F(SimulatorTest, StateFileOfAnyShapeIsRead)
{
    // state file contents (nullptr: a folder of that name), read-back trace
    static const struct {
        const char *state;
        size_t size;
        const char *trace;
    } cases[] = {
        {"AB", 2, "L0 C0 Q0:2 F0:UNAB F0:AN R0"},
        {"ABCDEFGH", 8, "L0 C0 Q0:2 F0:UNABCDEF F0:AN R0"},
        {"AB\0D", 4, "L0 C0 Q0:2 F0:UNAB.D F0:AN R0"},
        {"", 0, "L0 C0 Q0:2 F0:UN F0:AN R0"},
        {nullptr, 0, "L0 C0 Q0:2 F0:UN F0:AN R0"},
    };
    std::wstring state = sim_.folder + L"controller-sim.state";
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        UnloadSim(&sim_);
        DeleteFileW(state.c_str());
        RemoveDirectoryW(state.c_str());
        if (cases[i].state != nullptr) {
            WriteSimFile(sim_, L"controller-sim.state", std::string(cases[i].state, cases[i].size));
        } else {
            CreateDirectoryW(state.c_str(), nullptr);
        }
        ASSERT_TRUE(LoadSim(&sim_));
        EXPECT_EQ(cases[i].trace, RunSteps(sim_, "uN")) << "case " << i;
    }
    // The folder cannot be written: the serial number is kept in memory.
    EXPECT_EQ("L0 C0 Q0:1 F0:AN R0 | L0 C0 Q0:2 F0:UNZZ F0:AN R0", RunSteps(sim_, "UN:ZZ uN"));
}

TEST_F(SimulatorTest, EachSettingChangesItsCall)
{
    // scenario text, steps, trace
    static const struct {
        const char *scenario;
        const char *steps;
        const char *trace;
    } cases[] = {
        {"", kHealthySteps, kHealthyTrace},
        {"screen = none", "screen", "S0/0"},
        {"screen = fail 7", "screen", "S7/0"},
        {"screen = fail -3", "screen", "S-3/0"},
        {"screen = none\nscreen = ok", "screen", "S0/1"},
        {"screen = none\nscreen = bogus", "screen", "S0/0"},
        {"  screen\t=  fail   7  # no screen\r\n", "screen", "S7/0"},
        {"# screen = none", "screen", "S0/1"},
        {"lock = fail 3", "UW UW", "L3 C0 Q0:1 F0:AW R0 | L3 C0 Q0:1 F0:AW R0"},
        {"lock = fail 3 once", "UW UW", "L3 C0 Q0:1 F0:AW R0 | L0 C0 Q0:1 F0:AW R0"},
        {"lock = fail -2147483648", "UW", "L-2147483648 C0 Q0:1 F0:AW R0"},
        {"release = fail 4", "UW UW", "L0 C0 Q0:1 F0:AW R4 | L0 C0 Q0:1 F0:AW R4"},
        {"release = fail 4 once", "UW UW", "L0 C0 Q0:1 F0:AW R4 | L0 C0 Q0:1 F0:AW R0"},
        {"send = fail 5", "UW poll", "L0 C5 R0 | Q0:0"},
        {"send = fail 5 once", "UW UW", "L0 C5 R0 | L0 C0 Q0:1 F0:AW R0"},
        {"send = fail 5 on UN", "UW UN:ABC uN UN:ABC",
         "L0 C0 Q0:1 F0:AW R0 | L0 C5 R0 | L0 C0 Q0:2 F0:UN F0:AN R0 | L0 C5 R0"},
        {"send = fail 5 once on UN", "UN:ABC UN:ABD uN",
         "L0 C5 R0 | L0 C0 Q0:1 F0:AN R0 | L0 C0 Q0:2 F0:UNABD F0:AN R0"},
        {"send = fail 5 on UN once", "UW UN:ABC UN:ABD",
         "L0 C0 Q0:1 F0:AW R0 | L0 C5 R0 | L0 C0 Q0:1 F0:AN R0"},
        {"status = fail 6", "UW", "L0 C0 Q6:0 Q6:0 Q6:0 R0"},
        {"status = fail 6 once", "UW", "L0 C0 Q6:0 Q0:1 F0:AW R0"},
        {"fetch = fail 8", "UW", "L0 C0 Q0:1 F8: Q0:1 F8: Q0:1 F8: R0"},
        {"fetch = fail 8 once", "uN", "L0 C0 Q0:2 F8: F0:UN Q0:1 F0:AN R0"},
        {"answer = silent", "UW uN", "L0 C0 Q0:0 Q0:0 Q0:0 R0 | L0 C0 Q0:0 Q0:0 Q0:0 R0"},
        {"answer = silent on UW", "UW uN",
         "L0 C0 Q0:0 Q0:0 Q0:0 R0 | L0 C0 Q0:2 F0:UN F0:AN R0"},
        {"answer = extra 2", "UW", "L0 C0 Q0:3 F0:AW F0:AW F0:AW R0"},
        {"answer = extra 1 on uN", "UW uN",
         "L0 C0 Q0:1 F0:AW R0 | L0 C0 Q0:3 F0:UN F0:AN F0:AN R0"},
        {"answer = extra 1\nanswer = normal", "UW", "L0 C0 Q0:1 F0:AW R0"},
        {"pacing = one-per-poll", "uN", "L0 C0 Q0:1 F0:UN Q0:1 F0:AN R0"},
        // The extra packet left waiting is dropped when the next command comes.
        {"pacing = one-per-poll\nanswer = extra 1", "UW uN",
         "L0 C0 Q0:1 F0:AW R0 | L0 C0 Q0:1 F0:UN Q0:1 F0:AN R0"},
        {"pacing = one-per-poll\npacing = together", "uN", "L0 C0 Q0:2 F0:UN F0:AN R0"},
        {"delay = 60000", "UW", "L0 C0 Q0:0 Q0:0 Q0:0 R0"},
        {"delay = 60000\ndelay = 0", "UW", "L0 C0 Q0:1 F0:AW R0"},
        {"readback = XYZ", "UN:ABC uN", "L0 C0 Q0:1 F0:AN R0 | L0 C0 Q0:2 F0:UNXYZ F0:AN R0"},
        {"readback = a1b2c3", "uN", "L0 C0 Q0:2 F0:UNa1b2c3 F0:AN R0"},
        {"readback = XYZ\nreadback = stored", "UN:ABC uN",
         "L0 C0 Q0:1 F0:AN R0 | L0 C0 Q0:2 F0:UNABC F0:AN R0"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        Restart(cases[i].scenario);
        EXPECT_EQ(cases[i].trace, RunSteps(sim_, cases[i].steps))
            << "case " << i << ": " << cases[i].scenario;
    }
}

TEST_F(SimulatorTest, MalformedLinesHaveNoEffect)
{
    static const char *const lines[] = {
        "screen = fail",          "screen = fail x",         "screen = fail 7 once",
        "screen = None",          "Screen = none",           "screen none",
        "screen = = none",        "lock = fail 3 twice",     "lock = fail 3 on UW",
        "lock = fail 3 once once", "lock = fail 2147483648", "lock = fail 3 = once",
        "lock fail 3",            "send = fail 5 on",        "send = fail 5 on UNX",
        "send = fail 5 on UW on UN", "send = fail 5 5",      "status = fail",
        "fetch = failure 8",      "release = fail 4 on UW",  "answer = silent UW",
        "answer = extra",         "answer = extra -1",       "answer = extra 1001",
        "answer = extra 1 on",    "answer = normal on UW",   "pacing = fast",
        "delay = -5",             "delay = 10x",             "delay = 4294967296",
        "readback = ABCDEFG",     "readback = A B",          "readback =",
        "unknown = 1",            "= none",
    };
    for (size_t i = 0; i < sizeof lines / sizeof lines[0]; ++i) {
        Restart(lines[i]);
        EXPECT_EQ(kHealthyTrace, RunSteps(sim_, kHealthySteps)) << "line " << i << ": " << lines[i];
    }
    std::string garbage(100000, 'x');
    for (int c = 0; c < 256; ++c) {
        garbage[c * 7] = static_cast<char>(c);
    }
    Restart(garbage);
    EXPECT_EQ(kHealthyTrace, RunSteps(sim_, kHealthySteps)) << "binary garbage";
}

TEST_F(SimulatorTest, ScenarioIsReadAgainWhenItChanges)
{
    Restart("lock = fail 3 once\nscreen = none");
    // Until the next screen call the old scenario stays.
    WriteSimFile(sim_, L"controller-sim.txt", "screen = fail 1");
    SetScenarioTime(1);
    EXPECT_EQ("L3 C0 Q0:1 F0:AW R0 | L0 C0 Q0:1 F0:AW R0 | S1/0", RunSteps(sim_, "UW UW screen"));

    // The same size with another last-write time, then another size with
    // the same last-write time.
    WriteSimFile(sim_, L"controller-sim.txt", "screen = fail 2");
    SetScenarioTime(2);
    EXPECT_EQ("S2/0", RunSteps(sim_, "screen"));
    WriteSimFile(sim_, L"controller-sim.txt", "lock = fail 3 once");
    SetScenarioTime(2);
    EXPECT_EQ("S0/1 | L3 C0 Q0:1 F0:AW R0", RunSteps(sim_, "screen UW"));

    // Unchanged: the "once" failure stays used.
    EXPECT_EQ("S0/1 | L0 C0 Q0:1 F0:AW R0", RunSteps(sim_, "screen UW"));

    // Rewritten as it was: read again, and the "once" failure is back.
    WriteSimFile(sim_, L"controller-sim.txt", "lock = fail 3 once");
    SetScenarioTime(3);
    EXPECT_EQ("S0/1 | L3 C0 Q0:1 F0:AW R0", RunSteps(sim_, "screen UW"));

    DeleteFileW((sim_.folder + L"controller-sim.txt").c_str());
    EXPECT_EQ("S0/1 | L0 C0 Q0:1 F0:AW R0", RunSteps(sim_, "screen UW"));
}

TEST_F(SimulatorTest, DelayedAnswerAppearsAfterItsDelay)
{
    Restart("delay = 30");
    QuarnCommandRecord command = {0, {'U', 'W'}};
    ASSERT_EQ(0, sim_.sendCommand(&command));
    DWORD sent = GetTickCount();
    QuarnResponseStatusRecord status = {};
    ASSERT_EQ(0, sim_.getStatus(&status));
    EXPECT_EQ(0, status.waitingCount);
    while (status.waitingCount == 0 && GetTickCount() - sent < 2000) {
        ASSERT_EQ(0, sim_.getStatus(&status));
    }
    EXPECT_EQ(1, status.waitingCount);
    EXPECT_GE(GetTickCount() - sent, 29u);
}

TEST_F(SimulatorTest, UnexpectedRecordsDoNotUpsetIt)
{
    EXPECT_NE(0, sim_.sendCommand(nullptr));
    EXPECT_NE(0, sim_.getStatus(nullptr));
    EXPECT_NE(0, sim_.getResponse(nullptr));
    EXPECT_NE(0, sim_.getScreenInfo(nullptr, nullptr));
    int count = 0;
    EXPECT_EQ(0, sim_.getScreenInfo(nullptr, &count));
    EXPECT_EQ(1, count);

    // Nothing is waiting: the fetch fails and leaves the record alone.
    QuarnResponseRecord response;
    memset(&response, 0x5A, sizeof response);
    EXPECT_NE(0, sim_.getResponse(&response));
    EXPECT_EQ(0x5A, response.packet[0]);

    // Leading fields and records that were not cleared are of no account.
    QuarnCommandRecord command = {0xFFFFFFFFu, {'U', 'W', 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
    EXPECT_EQ(0, sim_.sendCommand(&command));
    QuarnResponseStatusRecord status;
    memset(&status, 0xEE, sizeof status);
    EXPECT_EQ(0, sim_.getStatus(&status));
    EXPECT_EQ(1, status.waitingCount);
    EXPECT_EQ(0, sim_.getResponse(&response));
    const BYTE answer[8] = {'A', 'W'};
    EXPECT_EQ(0, memcmp(answer, response.packet, 8));

    // A scenario that is a folder reads as no scenario.
    UnloadSim(&sim_);
    CreateDirectoryW((sim_.folder + L"controller-sim.txt").c_str(), nullptr);
    ASSERT_TRUE(LoadSim(&sim_));
    EXPECT_EQ("S0/1", RunSteps(sim_, "screen"));
}
