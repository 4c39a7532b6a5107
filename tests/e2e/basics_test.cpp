// Program entry and the dialog: what the operator sees at start, the mode
// buttons, the ways to close, the Enter key and the single-instance guard.
#include "e2e_fixture.h"

TEST_F(QuendleRun, DialogStartsInReadModeWithTheClock)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    // Read at once: the first tick comes about 100 ms after the dialog opens.
    EXPECT_EQ(ReadControlText(dialog_, IDC_NOW_TEXT), L"now");

    WCHAR caption[32];
    GetWindowTextW(dialog_, caption, 32);
    EXPECT_STREQ(caption, L"quendle");
    EXPECT_TRUE(WaitUntil(
        [&] { return MatchesWhole(ReadControlText(dialog_, IDC_NOW_TEXT), kTimestampPattern); },
        kPromptMs))
        << "clock label: " << testing::PrintToString(ReadControlText(dialog_, IDC_NOW_TEXT));

    // Initial texts: control id, expected text.
    const struct {
        int id;
        const wchar_t *text;
    } texts[] = {
        {IDC_CLOSE_TIME_TEXT, L"Time to close"}, {IDC_CLOSE_TIME_EDIT, L"2"},
        {IDC_SN_LABEL, L"S/N to write"},         {IDC_READ_SN_TEXT, L"Read S/N"},
        {IDC_SN_EDIT, L""},                      {IDC_WRITE_RADIO, L"Write"},
        {IDC_READ_RADIO, L"Read"},               {IDC_MODE_GROUP, L"Write or Read"},
        {IDOK, L"Read"},
    };
    for (const auto &t : texts) {
        EXPECT_EQ(ReadControlText(dialog_, t.id), t.text) << "control " << t.id;
    }
    EXPECT_TRUE(IsChecked(dialog_, IDC_READ_RADIO));
    EXPECT_FALSE(IsChecked(dialog_, IDC_WRITE_RADIO));
    EXPECT_TRUE(GetWindowLongW(GetDlgItem(dialog_, IDC_SN_EDIT), GWL_STYLE) & ES_READONLY);
    EXPECT_EQ(FocusedControl(dialog_), GetDlgItem(dialog_, IDC_SN_EDIT));

    RECT desktop;
    RECT rect;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(dialog_, &rect);
    EXPECT_EQ(rect.left, (desktop.right - (rect.right - rect.left)) / 2);
    EXPECT_EQ(rect.top, (desktop.bottom - (rect.bottom - rect.top)) / 2);
    CloseAndExpectExit();
}

TEST_F(QuendleRun, ModeButtonsSwitchTheRequestButtonAndTheEntry)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND edit = GetDlgItem(dialog_, IDC_SN_EDIT);
    // Radio button clicked, request button caption, entry read-only.
    const struct {
        int radio;
        const wchar_t *caption;
        bool readOnly;
    } steps[] = {
        {IDC_WRITE_RADIO, L"Write and Verify", false},
        {IDC_READ_RADIO, L"Read", true},
        {IDC_WRITE_RADIO, L"Write and Verify", false},
    };
    for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
        ASSERT_TRUE(SendClick(dialog_, steps[i].radio)) << "step " << i;
        EXPECT_EQ(ReadControlText(dialog_, IDOK), steps[i].caption) << "step " << i;
        EXPECT_EQ((GetWindowLongW(edit, GWL_STYLE) & ES_READONLY) != 0, steps[i].readOnly)
            << "step " << i;
        EXPECT_EQ(IsChecked(dialog_, IDC_WRITE_RADIO), steps[i].radio == IDC_WRITE_RADIO)
            << "step " << i;
        EXPECT_EQ(IsChecked(dialog_, IDC_READ_RADIO), steps[i].radio == IDC_READ_RADIO)
            << "step " << i;
    }
    CloseAndExpectExit();
}

static void PressEscape(HWND dialog)
{
    EXPECT_TRUE(PressKey(dialog, VK_ESCAPE));
}

static void PostEscape(HWND dialog)
{
    PostKey(FocusedControl(dialog), VK_ESCAPE);
}

TEST_F(QuendleRun, EscapeAndTheCloseBoxEndTheProcessWithZero)
{
    // How the operator closes the dialog.
    const struct {
        const char *name;
        void (*close)(HWND dialog);
    } closers[] = {
        {"Escape key", PressEscape},
        {"Escape posted to the focused control", PostEscape},
        {"close box", PostCloseBox},
    };
    for (const auto &c : closers) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_TRUE(WaitUntil(
            [&] {
                return MatchesWhole(ReadControlText(dialog_, IDC_NOW_TEXT), kTimestampPattern);
            },
            kPromptMs));
        c.close(dialog_);
        EXPECT_EQ(WaitForExit(instance_, kPromptMs), 0u);
        EndInstance(&instance_);
    }
    // A run without a request leaves no log.
    EXPECT_FALSE(LogExists());
}

TEST_F(QuendleRun, EnterKeyStartsARequest)
{
    ASSERT_NO_FATAL_FAILURE(WriteState("QX1234"));
    // How Enter reaches the dialog: a real key press or one posted to the
    // control with the focus.
    const bool realKey[] = {true, false};
    for (bool real : realKey) {
        SCOPED_TRACE(real ? "real key" : "posted key");
        ASSERT_NO_FATAL_FAILURE(Start());
        if (real) {
            ASSERT_TRUE(PressKey(dialog_, VK_RETURN));
        } else {
            PostKey(FocusedControl(dialog_), VK_RETURN);
        }
        EXPECT_TRUE(WaitForControlText(dialog_, IDC_READ_SN_TEXT, L"Read S/N=QX1234", kPromptMs));
        ASSERT_TRUE(WaitForRequestEnd(1));
        EXPECT_TRUE(LogMatches(Log(), StampedLine("Read=\"QX1234\"")));
        CloseAndExpectExit();
        EndInstance(&instance_);
        DeleteFileW(FilePath(L"quendle.log").c_str());
    }
}

TEST_F(QuendleRun, SecondInstanceIsRefused)
{
    // Whether the first instance shows a failure message of a request when
    // the second starts.
    const bool boxUpInFirst[] = {false, true};
    for (bool boxUp : boxUpInFirst) {
        SCOPED_TRACE(boxUp ? "failure message up in the first" : "first idle");
        ASSERT_NO_FATAL_FAILURE(WriteScenario(boxUp ? "screen = fail 3\n" : ""));
        ASSERT_NO_FATAL_FAILURE(Start());
        BoxInfo firstBox = {nullptr, nullptr, L"", L""};
        if (boxUp) {
            ASSERT_NO_FATAL_FAILURE(SwitchToWrite());
            ASSERT_NO_FATAL_FAILURE(TypeSerial(L"ABC123"));
            PressRequest();
            ASSERT_NO_FATAL_FAILURE(ExpectMessageBox(L"QuarnGetScreenInfo API fail", false,
                                                     kIconError, &firstBox));
        }

        ASSERT_TRUE(StartQuendle(folder_, &second_));
        BoxInfo box;
        ASSERT_TRUE(WaitForMessageBox(second_, nullptr, kPromptMs, &box));
        EXPECT_EQ(box.caption, L"quendle");
        EXPECT_EQ(box.text, L"quendle is already running");
        EXPECT_EQ(box.owner, nullptr);
        EXPECT_EQ(ReadBoxIcon(box.window), kIconError);
        EXPECT_EQ(WaitForDialog(second_, 0), nullptr);
        ASSERT_TRUE(DismissMessageBox(box.window));
        EXPECT_EQ(WaitForExit(second_, kPromptMs), 1u);
        EndInstance(&second_);

        // The first goes on as before.
        if (boxUp) {
            EXPECT_TRUE(IsWindow(firstBox.window));
            ASSERT_TRUE(DismissMessageBox(firstBox.window));
            ASSERT_TRUE(WaitForRequestEnd(1));
            EXPECT_EQ(State(), std::string("ABC123"));
        }
        ASSERT_TRUE(SendClick(dialog_, IDC_READ_RADIO));
        EXPECT_EQ(ReadControlText(dialog_, IDOK), L"Read");
        CloseAndExpectExit();
        EndInstance(&instance_);
    }
}
