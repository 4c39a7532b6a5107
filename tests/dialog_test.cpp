#include <gtest/gtest.h>

#include "clock.h"
#include "dialog_fixture.h"

// The ten controls in creation (and tab) order.
// Columns: id, class, initial text, x, y, width, height in dialog units,
// the style bits looked at, their expected values, and whether the control
// has a border (an edit's border may become a client edge).
struct ControlCase {
    int id;
    const wchar_t *className;
    const wchar_t *text;
    RECT units;
    LONG styleMask;
    LONG style;
    bool border;
};

const LONG kEditMask = ES_CENTER | ES_RIGHT | ES_MULTILINE | ES_READONLY | WS_TABSTOP | WS_GROUP;
const LONG kStaticMask = SS_TYPEMASK | WS_TABSTOP | WS_GROUP;
// A checked radio button gains the tab stop at run time, so it is not looked at.
const LONG kRadioMask = BS_TYPEMASK | WS_GROUP;
const LONG kButtonMask = BS_TYPEMASK | WS_TABSTOP | WS_GROUP;

const ControlCase kControls[] = {
    {IDC_SN_EDIT, L"Edit", L"", {55, 35, 45, 10}, kEditMask, ES_LEFT | ES_READONLY | WS_TABSTOP, true},
    {IDC_NOW_TEXT, L"Static", L"now", {10, 10, 80, 10}, kStaticMask, SS_LEFT | WS_GROUP, false},
    {IDC_CLOSE_TIME_TEXT, L"Static", L"Time to close", {10, 20, 45, 10}, kStaticMask,
     SS_LEFT | WS_GROUP, false},
    {IDC_CLOSE_TIME_EDIT, L"Edit", L"2", {55, 20, 20, 10}, kEditMask, ES_LEFT | WS_TABSTOP, true},
    {IDC_SN_LABEL, L"Static", L"S/N to write", {10, 35, 40, 10}, kStaticMask, SS_LEFT | WS_GROUP,
     false},
    {IDC_READ_SN_TEXT, L"Static", L"Read S/N", {10, 50, 80, 10}, kStaticMask, SS_LEFT | WS_GROUP,
     false},
    {IDC_WRITE_RADIO, L"Button", L"Write", {20, 70, 30, 10}, kRadioMask,
     BS_AUTORADIOBUTTON | WS_GROUP, false},
    {IDC_READ_RADIO, L"Button", L"Read", {60, 70, 30, 10}, kRadioMask, BS_AUTORADIOBUTTON, false},
    {IDC_MODE_GROUP, L"Button", L"Write or Read", {10, 60, 90, 25}, kButtonMask, BS_GROUPBOX,
     false},
    {IDOK, L"Button", L"Read", {10, 95, 90, 20}, kButtonMask, BS_PUSHBUTTON | WS_TABSTOP, false},
};

TEST_F(MainDialogTest, ControlsAfterInitialisation)
{
    HWND control = GetWindow(dialog, GW_CHILD);
    for (size_t i = 0; i < sizeof kControls / sizeof kControls[0]; ++i) {
        const ControlCase &expected = kControls[i];
        ASSERT_NE(nullptr, control) << "control " << i << " missing";
        EXPECT_EQ(expected.id, GetDlgCtrlID(control)) << "control " << i;

        WCHAR className[64];
        GetClassNameW(control, className, 64);
        EXPECT_EQ(0, lstrcmpiW(expected.className, className))
            << "control " << i << ": class " << className;
        WCHAR text[64];
        GetWindowTextW(control, text, 64);
        EXPECT_STREQ(expected.text, text) << "control " << i;

        LONG style = GetWindowLongW(control, GWL_STYLE);
        LONG exStyle = GetWindowLongW(control, GWL_EXSTYLE);
        EXPECT_EQ(WS_CHILD | WS_VISIBLE, style & (WS_CHILD | WS_VISIBLE | WS_POPUP))
            << "control " << i;
        EXPECT_EQ(expected.style, style & expected.styleMask)
            << "control " << i << ": style " << std::hex << style;
        bool border = (style & WS_BORDER) != 0 || (exStyle & WS_EX_CLIENTEDGE) != 0;
        EXPECT_EQ(expected.border, border) << "control " << i;

        // The dialog manager maps the position and the size each on its own.
        RECT want = expected.units;
        MapDialogRect(dialog, &want);
        RECT got;
        GetWindowRect(control, &got);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&got), 2);
        EXPECT_TRUE(want.left == got.left && want.top == got.top &&
                    want.right == got.right - got.left && want.bottom == got.bottom - got.top)
            << "control " << i << ": at " << got.left << "," << got.top << " size "
            << got.right - got.left << "x" << got.bottom - got.top << " instead of " << want.left
            << "," << want.top << " size " << want.right << "x" << want.bottom;
        control = GetWindow(control, GW_HWNDNEXT);
    }
    EXPECT_EQ(nullptr, control) << "more than ten controls";
}

TEST_F(MainDialogTest, FrameFontAndPlacement)
{
    WCHAR caption[32];
    GetWindowTextW(dialog, caption, 32);
    EXPECT_STREQ(L"quendle", caption);
    WCHAR className[32];
    GetClassNameW(dialog, className, 32);
    EXPECT_STREQ(L"#32770", className);
    EXPECT_EQ(nullptr, GetMenu(dialog));
    const LONG frame = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    EXPECT_EQ(frame, GetWindowLongW(dialog, GWL_STYLE) & frame);

    RECT client;
    GetClientRect(dialog, &client);
    RECT size = {0, 0, 110, 120};
    MapDialogRect(dialog, &size);
    EXPECT_TRUE(EqualRect(&size, &client))
        << "client " << client.right << "x" << client.bottom << " instead of " << size.right
        << "x" << size.bottom;

    LOGFONTW font;
    ASSERT_NE(0, GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)),
                            sizeof font, &font));
    EXPECT_STREQ(L"MS Shell Dlg", font.lfFaceName);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(-MulDiv(16, GetDeviceCaps(screen, LOGPIXELSY), 72), font.lfHeight);
    ReleaseDC(nullptr, screen);

    RECT desktop;
    RECT window;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(dialog, &window);
    EXPECT_EQ((desktop.right - (window.right - window.left)) / 2, window.left);
    EXPECT_EQ((desktop.bottom - (window.bottom - window.top)) / 2, window.top);
}

TEST_F(MainDialogTest, StartsInReadModeWithFocusOnTheEntry)
{
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(dialog, IDC_WRITE_RADIO));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, IDC_READ_RADIO));
    EXPECT_EQ(Item(IDC_SN_EDIT), GetFocus());
    // The tick timer runs from the start: killing it succeeds.
    EXPECT_TRUE(KillTimer(dialog, 0x7FFF));
}

// Columns: radio button clicked, then the request button's caption, whether
// the entry is read-only, and the check states of Write and Read.
struct ModeCase {
    int clicked;
    const wchar_t *caption;
    bool readOnly;
    UINT write;
    UINT read;
};

const ModeCase kModeSteps[] = {
    {IDC_WRITE_RADIO, L"Write and Verify", false, BST_CHECKED, BST_UNCHECKED},
    {IDC_WRITE_RADIO, L"Write and Verify", false, BST_CHECKED, BST_UNCHECKED},
    {IDC_READ_RADIO, L"Read", true, BST_UNCHECKED, BST_CHECKED},
    {IDC_WRITE_RADIO, L"Write and Verify", false, BST_CHECKED, BST_UNCHECKED},
};

TEST_F(MainDialogTest, RadioButtonsSwitchTheMode)
{
    for (size_t i = 0; i < sizeof kModeSteps / sizeof kModeSteps[0]; ++i) {
        const ModeCase &step = kModeSteps[i];
        Click(step.clicked);
        EXPECT_EQ(step.caption, Text(IDOK)) << "step " << i;
        EXPECT_EQ(step.readOnly, IsReadOnly(IDC_SN_EDIT)) << "step " << i;
        EXPECT_EQ(step.write, IsDlgButtonChecked(dialog, IDC_WRITE_RADIO)) << "step " << i;
        EXPECT_EQ(step.read, IsDlgButtonChecked(dialog, IDC_READ_RADIO)) << "step " << i;
    }
}

TEST_F(MainDialogTest, RadioNotificationsOtherThanClickedAreIgnored)
{
    const WORD codes[] = {BN_DOUBLECLICKED, BN_SETFOCUS, BN_KILLFOCUS, BN_HILITE};
    for (WORD code : codes) {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_WRITE_RADIO, code),
                     reinterpret_cast<LPARAM>(Item(IDC_WRITE_RADIO)));
        EXPECT_EQ(L"Read", Text(IDOK)) << "code " << code;
        EXPECT_TRUE(IsReadOnly(IDC_SN_EDIT)) << "code " << code;
    }
    Click(IDC_WRITE_RADIO);
    for (WORD code : codes) {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_READ_RADIO, code),
                     reinterpret_cast<LPARAM>(Item(IDC_READ_RADIO)));
        EXPECT_EQ(L"Write and Verify", Text(IDOK)) << "code " << code;
        EXPECT_FALSE(IsReadOnly(IDC_SN_EDIT)) << "code " << code;
    }
}

TEST_F(MainDialogTest, TickShowsTheClockAndRestartsTheTimer)
{
    EXPECT_TRUE(KillTimer(dialog, 0x7FFF));
    Tick();
    EXPECT_EQ(GetTimestampText(), Text(IDC_NOW_TEXT));
    EXPECT_EQ(L"Time to close", Text(IDC_CLOSE_TIME_TEXT)) << "no countdown runs";
    EXPECT_TRUE(KillTimer(dialog, 0x7FFF)) << "the tick starts the timer again";
}

// One tick with a countdown running, on a fresh dialog each.
// Columns: countdown start, timer reading at the tick, close interval, the
// time-left text (nullptr: not looked at) and whether the dialog ends.
struct CountdownCase {
    DWORD start;
    DWORD now;
    DWORD interval;
    const wchar_t *left;
    bool ends;
};

const CountdownCase kCountdown[] = {
    {50000, 50100, 2000, L"1.900", false},
    {50000, 51999, 2000, L"0.001", false},
    {50000, 52000, 2000, L"0.000", false},
    {50000, 52001, 2000, nullptr, true},
    {50000, 60000, 2000, nullptr, true},
    // The timer wraps during the countdown.
    {0xFFFFFFC0, 0x24, 2000, L"1.900", false},
    {0xFFFFFFC0, 2001 - 0x40, 2000, nullptr, true},
    // A close time of 0 seconds: the first tick after any time has passed.
    {50000, 50000, 0, L"0.000", false},
    {50000, 50001, 0, nullptr, true},
    // A close time of -1 seconds: about 49.7 days.
    {50000, 50100, 0xFFFFFC18, L"4294966.196", false},
};

TEST_F(MainDialogTest, CountdownShowsTimeLeftAndEndsTheDialog)
{
    for (size_t i = 0; i < sizeof kCountdown / sizeof kCountdown[0]; ++i) {
        const CountdownCase &c = kCountdown[i];
        DestroyWindow(dialog);
        dialog = CreateMainDialog();
        g_countdownStart = c.start;
        g_closeInterval = c.interval;
        g_fake.multimediaTime = c.now;
        Tick();
        if (c.left != nullptr) {
            EXPECT_EQ(c.left, Text(IDC_CLOSE_TIME_TEXT)) << "case " << i;
        }
        // EndDialog hides a modeless dialog.
        EXPECT_EQ(!c.ends, IsWindowVisible(dialog) != FALSE) << "case " << i;
    }
}

TEST_F(MainDialogTest, RequestButtonDoesNothingWhileTheCountdownRuns)
{
    Click(IDC_WRITE_RADIO);
    SetText(IDC_SN_EDIT, L"abc");
    g_countdownStart = 1;
    g_fake.multimediaTime = 2;
    PressRequest();
    EXPECT_TRUE(g_controller.calls.empty());
    EXPECT_TRUE(g_fake.messages.empty());
    EXPECT_EQ(L"abc", Text(IDC_SN_EDIT));
    EXPECT_EQ(1u, g_countdownStart);
    EXPECT_TRUE(IsWindowVisible(dialog));
}

TEST_F(MainDialogTest, UnhandledMessagesAreLeftToTheDialogManager)
{
    // Columns: message, wParam, result of the dialog procedure.
    const struct {
        UINT message;
        WPARAM wParam;
        INT_PTR result;
    } cases[] = {
        {WM_COMMAND, MAKEWPARAM(4242, BN_CLICKED), TRUE},
        {WM_COMMAND, MAKEWPARAM(IDC_MODE_GROUP, BN_CLICKED), TRUE},
        {WM_ERASEBKGND, 0, FALSE},
        {WM_CTLCOLORSTATIC, 0, FALSE},
        {WM_KEYDOWN, VK_RETURN, FALSE},
        {WM_NULL, 0, FALSE},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        EXPECT_EQ(cases[i].result, MainDialogProc(dialog, cases[i].message, cases[i].wParam, 0))
            << "case " << i;
    }
    EXPECT_TRUE(g_controller.calls.empty());
    EXPECT_TRUE(IsWindowVisible(dialog));
}

// The modal dialog as wWinMain runs it, with one message posted at its start
// and, behind it, WM_APP, which ends a dialog still open with 99.
static UINT g_postedMessage;
static WPARAM g_postedWParam;
static int g_closesSeen;

static INT_PTR CALLBACK ScriptedDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        ++g_closesSeen;
    }
    if (message == WM_APP) {
        EndDialog(dialog, 99);
        return TRUE;
    }
    INT_PTR handled = MainDialogProc(dialog, message, wParam, lParam);
    if (message == WM_INITDIALOG) {
        PostMessageW(dialog, g_postedMessage, g_postedWParam, 0);
        PostMessageW(dialog, WM_APP, 0, 0);
    }
    return handled;
}

// Columns: message posted, its wParam, countdown start (interval 2000, timer
// at 50000).
struct EndCase {
    UINT message;
    WPARAM wParam;
    DWORD countdownStart;
};

const EndCase kEnds[] = {
    {WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0},
    {WM_CLOSE, 0, 0},
    {WM_TIMER, 0x7FFF, 47999},
};

TEST(MainDialog, EscapeCloseBoxAndCountdownEndTheDialogWithResult2)
{
    for (size_t i = 0; i < sizeof kEnds / sizeof kEnds[0]; ++i) {
        ResetFakePlatform();
        ResetFakeController();
        g_closeInterval = 2000;
        g_countdownStart = kEnds[i].countdownStart;
        g_postedMessage = kEnds[i].message;
        g_postedWParam = kEnds[i].wParam;
        g_closesSeen = 0;
        INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), L"MYDIALOG", nullptr,
                                         ScriptedDialogProc, 0);
        EXPECT_EQ(2, result) << "case " << i;
        EXPECT_EQ(1, g_closesSeen) << "case " << i << ": WM_CLOSE ends the dialog";
    }
    g_countdownStart = 0;
}
