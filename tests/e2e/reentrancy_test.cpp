// While an owner-less failure message of a request is up, the dialog stays
// usable, but no second request can begin inside the running one.
#include "e2e_fixture.h"

TEST_F(QuendleRun, NoSecondRequestWhileAFailureMessageIsUp)
{
    ASSERT_NO_FATAL_FAILURE(WriteScenario("screen = fail 3\n"));
    ASSERT_NO_FATAL_FAILURE(StartWriteRequest(L"ABC123"));
    BoxInfo box;
    ASSERT_NO_FATAL_FAILURE(
        ExpectMessageBox(L"QuarnGetScreenInfo API fail", false, kIconError, &box));
    // Both are centred on the desktop: the box is moved off the dialog so that
    // the clicks below reach the dialog's controls.
    SetWindowPos(box.window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    HWND button = GetDlgItem(dialog_, IDOK);
    EXPECT_TRUE(IsWindowEnabled(dialog_));
    EXPECT_FALSE(IsWindowEnabled(button));

    // The operator's ways to start a request, each tried with the message up;
    // a request that began would show its own message.
    ASSERT_TRUE(MouseClick(button));
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dialog_; }, kPromptMs))
        << "the click should activate the dialog";
    // Enter is posted to the entry field rather than typed: Wine may give the
    // activation back to the box at any moment, and typed Enter would then
    // dismiss the box instead.
    PostKey(GetDlgItem(dialog_, IDC_SN_EDIT), VK_RETURN);
    PostKey(button, VK_RETURN);
    EXPECT_FALSE(WaitUntil([&] { return CountMessageBoxes(instance_, dialog_) > 1; }, 500))
        << "a second request began";
    EXPECT_TRUE(IsWindow(box.window));

    // The mode buttons still work. BM_CLICK stands in for the mouse here:
    // real clicks under Wine's own window management miss now and then.
    ASSERT_TRUE(SendClick(dialog_, IDC_READ_RADIO));
    EXPECT_TRUE(WaitForControlText(dialog_, IDOK, L"Read", kPromptMs));
    ASSERT_TRUE(SendClick(dialog_, IDC_WRITE_RADIO));
    EXPECT_TRUE(WaitForControlText(dialog_, IDOK, L"Write and Verify", kPromptMs));

    ASSERT_TRUE(DismissMessageBox(box.window));
    ASSERT_TRUE(WaitForRequestEnd(1));
    EXPECT_TRUE(LogMatches(Log(), PlainLine("ERROR : QuarnGetScreenInfo API fail")));
    EXPECT_EQ(State(), "ABC123");
    EXPECT_EQ(CountMessageBoxes(instance_, dialog_), 0);

    // With a healthy controller again, the next request runs as usual.
    ASSERT_NO_FATAL_FAILURE(WriteScenario(""));
    ASSERT_NO_FATAL_FAILURE(TypeSerial(L"XYZ789"));
    PressRequest();
    ASSERT_TRUE(WaitForRequestEnd(2));
    EXPECT_TRUE(LogMatches(Log(), PlainLine("ERROR : QuarnGetScreenInfo API fail") +
                                      StampedLine("Write=\"XYZ789\", Read=\"XYZ789\"")));
    EXPECT_EQ(State(), "XYZ789");
    EXPECT_EQ(CountMessageBoxes(instance_, dialog_), 0);
    CloseAndExpectExit();
}
