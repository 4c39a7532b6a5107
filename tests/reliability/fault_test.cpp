// Every failure that the simulated controller can be made to show, injected
// into one run of the program: each gives its log lines and its messages, the
// request goes on as far as it should, and the next request, with a healthy
// controller again, succeeds.
#include <string>

#include "reliability_fixture.h"

enum LineKind { kNoLine, kPlain, kStamped };

struct ExpectedLine {
    LineKind kind;
    // "{new}" stands for the serial number of the faulty request, "{old}" for
    // the one stored before it.
    const char *text;
};

struct ExpectedBox {
    const wchar_t *text;
    bool owned;
};

const int kMaxLines = 7;
const int kMaxBoxes = 3;

// Columns: scenario; the log lines of the faulty write request, in order;
// its message boxes, in order (all with the error icon); the serial number
// stored afterwards; the read result shown afterwards.
const struct {
    const char *scenario;
    ExpectedLine lines[kMaxLines];
    ExpectedBox boxes[kMaxBoxes];
    const char *stored;
    const char *shown;
} kFaults[] = {
    {"screen = fail 3\n",
     {{kPlain, "ERROR : QuarnGetScreenInfo API fail"}},
     {{L"QuarnGetScreenInfo API fail", false}},
     "{new}",
     "{old}"},
    {"screen = none\n",
     {{kPlain, "ERROR : QuarnGetScreenInfo API fail"}},
     {{L"QuarnGetScreenInfo API fail", false}},
     "{new}",
     "{old}"},
    // Nothing is stored, so the old serial number is read back.
    {"send = fail 5 on UN\n",
     {{kPlain, "QuarnSendCadrelCommand : Fail (Return Code = 5)"},
      {kStamped, "fail to receive response : -1"},
      {kStamped, "Write=\"{new}\", Read=\"{old}\""}},
     {{L"fail to receive response", false}, {L"S/N verify error", true}},
     "{old}",
     "{old}"},
    {"send = fail -7 on uN\n",
     {{kPlain, "QuarnSendCadrelCommand : Fail (Return Code = -7)"},
      {kStamped, "fail to receive response : -1"},
      {kStamped, "Write=\"{new}\", Read=\"\""}},
     {{L"fail to receive response", false}, {L"S/N verify error", true}},
     "{new}",
     ""},
    // The first command's answer is fetched by a later poll of the same
    // exchange; the code still wins over its count, and the sequence goes on.
    {"status = fail 9 once\n",
     {{kPlain, "QuarnGetCadrelResponseStatus : Fail (Return Code = 9)"},
      {kStamped, "fail to receive response : -2"},
      {kStamped, "Write=\"{new}\", Read=\"{new}\""}},
     {{L"fail to receive response", false}},
     "{new}",
     "{new}"},
    {"fetch = fail 4 once\n",
     {{kPlain, "QuarnGetCadrelResponse : Fail (Return Code = 4)"},
      {kStamped, "fail to receive response : -3"},
      {kStamped, "Write=\"{new}\", Read=\"{new}\""}},
     {{L"fail to receive response", false}},
     "{new}",
     "{new}"},
    // A failed poll, then a failed fetch in the same exchange: the later
    // failure's code.
    {"status = fail 9 once\nfetch = fail 4 once\n",
     {{kPlain, "QuarnGetCadrelResponseStatus : Fail (Return Code = 9)"},
      {kPlain, "QuarnGetCadrelResponse : Fail (Return Code = 4)"},
      {kStamped, "fail to receive response : -3"},
      {kStamped, "Write=\"{new}\", Read=\"{new}\""}},
     {{L"fail to receive response", false}},
     "{new}",
     "{new}"},
    // The write stops at once: nothing more is sent and nothing read back.
    {"answer = extra 1 on UW\n",
     {{kStamped, "Number of command response is 2 (Should be 1)"}},
     {{L"Number of command response is 2 (Should be 1)\n", false}},
     "{old}",
     "{old}"},
    {"answer = extra 1 on UN\n",
     {{kStamped, "Number of command response is 2 (Should be 1)"}},
     {{L"Number of command response is 2 (Should be 1)\n", false}},
     "{new}",
     "{old}"},
    // The read-back's answer is not used: an empty read result.
    {"answer = extra 1 on uN\n",
     {{kStamped, "Number of command response is 3 (Should be 2)"},
      {kStamped, "Write=\"{new}\", Read=\"\""}},
     {{L"Number of command response is 3 (Should be 2)\n", false}, {L"S/N verify error", true}},
     "{new}",
     ""},
    // Lock failures are only logged, once for each of the three exchanges.
    {"lock = fail 7\n",
     {{kPlain, "QuarnAcquireCadrelLock : Fail (Return Code = 7)"},
      {kPlain, "QuarnAcquireCadrelLock : Fail (Return Code = 7)"},
      {kPlain, "QuarnAcquireCadrelLock : Fail (Return Code = 7)"},
      {kStamped, "Write=\"{new}\", Read=\"{new}\""}},
     {},
     "{new}",
     "{new}"},
    {"release = fail 8\n",
     {{kPlain, "QuarnReleaseCadrelLock : Fail (Return Code = 8)"},
      {kPlain, "QuarnReleaseCadrelLock : Fail (Return Code = 8)"},
      {kPlain, "QuarnReleaseCadrelLock : Fail (Return Code = 8)"},
      {kStamped, "Write=\"{new}\", Read=\"{new}\""}},
     {},
     "{new}",
     "{new}"},
    // The lock is given back also when taking it failed.
    {"lock = fail 7\nrelease = fail 8\n",
     {{kPlain, "QuarnAcquireCadrelLock : Fail (Return Code = 7)"},
      {kPlain, "QuarnReleaseCadrelLock : Fail (Return Code = 8)"},
      {kPlain, "QuarnAcquireCadrelLock : Fail (Return Code = 7)"},
      {kPlain, "QuarnReleaseCadrelLock : Fail (Return Code = 8)"},
      {kPlain, "QuarnAcquireCadrelLock : Fail (Return Code = 7)"},
      {kPlain, "QuarnReleaseCadrelLock : Fail (Return Code = 8)"},
      {kStamped, "Write=\"{new}\", Read=\"{new}\""}},
     {},
     "{new}",
     "{new}"},
};

static std::string Substitute(std::string text, const std::string &newSerial,
                              const std::string &oldSerial)
{
    const struct {
        const char *name;
        const std::string &value;
    } names[] = {{"{new}", newSerial}, {"{old}", oldSerial}};
    for (const auto &name : names) {
        for (size_t at; (at = text.find(name.name)) != std::string::npos;) {
            text.replace(at, 5, name.value);
        }
    }
    return text;
}

static std::string SerialText(char lead, size_t number)
{
    char text[16];
    wsprintfA(text, "%c%05u", lead, static_cast<unsigned>(number));
    return text;
}

TEST_F(ReliabilityRun, EveryInjectedFaultIsReportedAndTheNextRequestSucceeds)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(SwitchToWrite());
    // A healthy request first, so that every fault meets a stored serial
    // number and a read result on the dialog.
    std::string stored = SerialText('H', 0);
    ASSERT_TRUE(WriteAndWait(Widen(stored), ReadResult(Widen(stored))));
    std::string expectedLog = StampedLine("Write=\"" + stored + "\", Read=\"" + stored + "\"");
    size_t logLines = 1;

    for (size_t i = 0; i < sizeof kFaults / sizeof kFaults[0]; ++i) {
        const auto &fault = kFaults[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ", scenario [" << fault.scenario << "]");
        std::string serial = SerialText('F', i);
        ASSERT_NO_FATAL_FAILURE(WriteScenario(fault.scenario));
        ASSERT_NO_FATAL_FAILURE(TypeSerial(Widen(serial)));
        PressRequest();
        for (int b = 0; b < kMaxBoxes && fault.boxes[b].text != nullptr; ++b) {
            SCOPED_TRACE(testing::Message() << "message " << b);
            BoxInfo box;
            ASSERT_NO_FATAL_FAILURE(
                ExpectMessageBox(fault.boxes[b].text, fault.boxes[b].owned, kIconError, &box));
            ASSERT_TRUE(DismissMessageBox(box.window));
        }
        for (int l = 0; l < kMaxLines && fault.lines[l].kind != kNoLine; ++l) {
            std::string text = Substitute(fault.lines[l].text, serial, stored);
            expectedLog += fault.lines[l].kind == kStamped ? StampedLine(text) : PlainLine(text);
            ++logLines;
        }
        ASSERT_TRUE(WaitForRequestEnd(logLines)) << "the request did not end";
        EXPECT_TRUE(LogMatches(Log(), expectedLog));
        EXPECT_EQ(CountMessageBoxes(instance_, dialog_), 0);
        EXPECT_EQ(State(), Substitute(fault.stored, serial, stored));
        std::string shown = Substitute(fault.shown, serial, stored);
        EXPECT_EQ(ReadControlText(dialog_, IDC_READ_SN_TEXT), ReadResult(Widen(shown)));

        // The controller is healthy again from the next request on.
        ASSERT_NO_FATAL_FAILURE(WriteScenario(""));
        std::string healthy = SerialText('H', i + 1);
        ASSERT_TRUE(WriteAndWait(Widen(healthy), ReadResult(Widen(healthy))))
            << "the healthy request after the fault did not succeed";
        expectedLog += StampedLine("Write=\"" + healthy + "\", Read=\"" + healthy + "\"");
        ++logLines;
        EXPECT_TRUE(LogMatches(Log(), expectedLog));
        EXPECT_EQ(State(), healthy);
        EXPECT_EQ(CountMessageBoxes(instance_, dialog_), 0);
        stored = healthy;
    }
    CloseAndExpectExit();
}
