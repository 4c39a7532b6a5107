// Failures met on the way to the controller, set up through the simulated
// controller's scenario file: what the operator is shown and what the log
// keeps.
#include "e2e_fixture.h"

TEST_F(QuendleRun, ReadBackThatDiffersIsAVerifyError)
{
    ASSERT_NO_FATAL_FAILURE(WriteScenario("readback = OTHER1\n"));
    ASSERT_NO_FATAL_FAILURE(StartWriteRequest(L"ABC123"));
    BoxInfo box;
    ASSERT_NO_FATAL_FAILURE(ExpectMessageBox(L"S/N verify error", true, kIconError, &box));
    EXPECT_FALSE(IsWindowEnabled(dialog_));
    // The line is logged before the message.
    EXPECT_TRUE(LogMatches(Log(), StampedLine("Write=\"ABC123\", Read=\"OTHER1\"")));
    EXPECT_EQ(ReadControlText(dialog_, IDC_READ_SN_TEXT), L"Read S/N=OTHER1");
    ASSERT_TRUE(DismissMessageBox(box.window));
    ASSERT_TRUE(WaitForRequestEnd(1));
    EXPECT_EQ(State(), "ABC123");
    EXPECT_EQ(ReadControlText(dialog_, IDC_CLOSE_TIME_TEXT), L"Time to close");
    EXPECT_EQ(WaitForExit(instance_, 0), static_cast<DWORD>(STILL_ACTIVE));
    CloseAndExpectExit();
}

TEST_F(QuendleRun, FailedScreenCheckIsShownAndTheCommandsAreStillSent)
{
    // Scenario in which the library sees no usable touchscreen.
    const char *scenarios[] = {"screen = fail 3\n", "screen = none\n"};
    for (const char *scenario : scenarios) {
        SCOPED_TRACE(scenario);
        ASSERT_NO_FATAL_FAILURE(WriteScenario(scenario));
        ASSERT_NO_FATAL_FAILURE(StartWriteRequest(L"ABC123"));
        BoxInfo box;
        ASSERT_NO_FATAL_FAILURE(
            ExpectMessageBox(L"QuarnGetScreenInfo API fail", false, kIconError, &box));
        EXPECT_TRUE(IsWindowEnabled(dialog_));
        ASSERT_TRUE(DismissMessageBox(box.window));
        ASSERT_TRUE(WaitForRequestEnd(1));
        EXPECT_TRUE(LogMatches(Log(), PlainLine("ERROR : QuarnGetScreenInfo API fail")));
        EXPECT_EQ(State(), "ABC123");
        EXPECT_EQ(ReadControlText(dialog_, IDC_READ_SN_TEXT), L"Read S/N");
        EXPECT_EQ(CountMessageBoxes(instance_, dialog_), 0);
        CloseAndExpectExit();
        EndInstance(&instance_);
        DeleteFileW(FilePath(L"quendle.log").c_str());
        DeleteFileW(FilePath(L"controller-sim.state").c_str());
    }
}

TEST_F(QuendleRun, FailedSendIsReportedAndTheSequenceGoesOn)
{
    ASSERT_NO_FATAL_FAILURE(WriteScenario("send = fail 5 on UW\n"));
    ASSERT_NO_FATAL_FAILURE(StartWriteRequest(L"ABC123"));
    BoxInfo box;
    ASSERT_NO_FATAL_FAILURE(ExpectMessageBox(L"fail to receive response", false, kIconError, &box));
    ASSERT_TRUE(DismissMessageBox(box.window));
    ASSERT_TRUE(WaitForRequestEnd(3));
    EXPECT_TRUE(LogMatches(Log(), PlainLine("QuarnSendCadrelCommand : Fail (Return Code = 5)") +
                                      StampedLine("fail to receive response : -1") +
                                      StampedLine("Write=\"ABC123\", Read=\"ABC123\"")));
    EXPECT_EQ(State(), "ABC123");
    EXPECT_EQ(ReadControlText(dialog_, IDC_READ_SN_TEXT), L"Read S/N=ABC123");
    EXPECT_EQ(CountMessageBoxes(instance_, dialog_), 0);
    CloseAndExpectExit();
}

TEST_F(QuendleRun, ExtraResponseToAWriteStopsTheSequence)
{
    ASSERT_NO_FATAL_FAILURE(WriteState("QX1234"));
    ASSERT_NO_FATAL_FAILURE(WriteScenario("answer = extra 1 on UW\n"));
    ASSERT_NO_FATAL_FAILURE(StartWriteRequest(L"ABC123"));
    BoxInfo box;
    ASSERT_NO_FATAL_FAILURE(ExpectMessageBox(L"Number of command response is 2 (Should be 1)\n",
                                             false, kIconError, &box));
    ASSERT_TRUE(DismissMessageBox(box.window));
    ASSERT_TRUE(WaitForRequestEnd(1));
    // Neither the second write command nor the read-back was sent.
    EXPECT_TRUE(
        LogMatches(Log(), StampedLine("Number of command response is 2 (Should be 1)")));
    EXPECT_EQ(State(), "QX1234");
    EXPECT_EQ(ReadControlText(dialog_, IDC_READ_SN_TEXT), L"Read S/N");
    EXPECT_EQ(CountMessageBoxes(instance_, dialog_), 0);
    CloseAndExpectExit();
}

// The suite's one wait through a whole 10-second collection window.
TEST_F(QuendleRun, SilentControllerTimesOutAfterTheWindow)
{
    ASSERT_NO_FATAL_FAILURE(WriteState("QX1234"));
    ASSERT_NO_FATAL_FAILURE(WriteScenario("answer = silent\n"));
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(WriteControlText(dialog_, IDC_CLOSE_TIME_EDIT, L"0"));
    DWORD pressed = GetTickCount();
    PressRequest();
    // While the exchange collects, the dialog does not answer.
    HWND clock = GetDlgItem(dialog_, IDC_NOW_TEXT);
    std::wstring text;
    EXPECT_TRUE(WaitUntil([&] { return !TryReadText(clock, &text); }, kPromptMs));

    BoxInfo box;
    ASSERT_NO_FATAL_FAILURE(
        ExpectMessageBox(L"fail to receive response", false, kIconError, &box, 15000));
    DWORD waited = GetTickCount() - pressed;
    EXPECT_GE(waited, 10000u);
    EXPECT_LT(waited, 13000u);
    EXPECT_TRUE(TryReadText(clock, &text)) << "the message box's loop serves the dialog";
    ASSERT_TRUE(DismissMessageBox(box.window));

    // Nothing usable came back: an empty serial number, and the countdown of
    // a read closes the dialog.
    EXPECT_EQ(WaitForExit(instance_, kPromptMs), 0u);
    EXPECT_TRUE(LogMatches(Log(), StampedLine("fail to receive response : 0") +
                                      StampedLine("Read=\"\"")));
}
