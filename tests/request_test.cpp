#include <gtest/gtest.h>

#include "clock.h"
#include "dialog_fixture.h"

class RequestTest : public MainDialogTest {
protected:
    void Write(const std::wstring &entry)
    {
        Click(IDC_WRITE_RADIO);
        SetText(IDC_SN_EDIT, entry);
        PressRequest();
    }
};

// What the entry field shows after a request; a silent controller.
// Columns: write mode, text typed, text shown afterwards.
struct EntryCase {
    bool writeMode;
    const wchar_t *typed;
    const wchar_t *shown;
};

const EntryCase kEntries[] = {
    {true, L"abc123", L"ABC123"},
    {true, L"abcdefghi", L"ABCDEF"},
    {true, L"Zz09-_", L"ZZ09-_"},
    {true, L"a\x00e4\x00e9\x03b1\x0430z", L"A\x00e4\x00e9\x03b1\x0430Z"},
    {false, L"xyz", L"XYZ"},
};

TEST_F(RequestTest, EntryIsUpperCasedAndCutToSixCharacters)
{
    for (size_t i = 0; i < sizeof kEntries / sizeof kEntries[0]; ++i) {
        ResetFakeController();
        Click(kEntries[i].writeMode ? IDC_WRITE_RADIO : IDC_READ_RADIO);
        SetText(IDC_SN_EDIT, kEntries[i].typed);
        PressRequest();
        EXPECT_EQ(kEntries[i].shown, Text(IDC_SN_EDIT)) << "case " << i;
    }
}

// Write mode; the controller accepts the write and answers the read-back.
// Columns: text typed, the information message (nullptr: none, the serial
// number goes to the controller).
struct FirstCharacterCase {
    const wchar_t *typed;
    const wchar_t *message;
};

const FirstCharacterCase kFirstCharacters[] = {
    {L"1ABC",
     L"'1' is not allowed for first character of S/N.\nFirst character should be alphabet."},
    {L"-a", L"'-' is not allowed for first character of S/N.\nFirst character should be alphabet."},
    {L" A", L"' ' is not allowed for first character of S/N.\nFirst character should be alphabet."},
    {L"A1", nullptr},
    {L"\x00e4" L"1", nullptr},
    {L"", nullptr},
};

TEST_F(RequestTest, FirstCharacterMustBeALetterInWriteMode)
{
    for (size_t i = 0; i < sizeof kFirstCharacters / sizeof kFirstCharacters[0]; ++i) {
        const FirstCharacterCase &c = kFirstCharacters[i];
        ResetFakePlatform();
        ResetFakeController();
        ScriptWriteAccepted();
        ScriptReadBack("UN");
        DeleteLogFile();
        Write(c.typed);
        if (c.message != nullptr) {
            ASSERT_EQ(1u, g_fake.messages.size()) << "case " << i;
            EXPECT_EQ(c.message, g_fake.messages[0].text) << "case " << i;
            EXPECT_EQ(L"quendle", g_fake.messages[0].caption) << "case " << i;
            EXPECT_EQ(dialog, g_fake.messages[0].owner) << "case " << i;
            EXPECT_EQ(UINT(MB_OK | MB_ICONINFORMATION), g_fake.messages[0].type) << "case " << i;
            EXPECT_TRUE(g_controller.calls.empty()) << "case " << i;
            EXPECT_FALSE(LogFileExists()) << "case " << i;
        } else {
            EXPECT_EQ(3u, SentPackets().size()) << "case " << i;
            EXPECT_TRUE(LogFileExists()) << "case " << i;
        }
        EXPECT_TRUE(IsWindowEnabled(Item(IDOK))) << "case " << i;
    }
}

TEST_F(RequestTest, EmptyEntryIsWrittenAsZeroBytesAndVerifiesAgainstAnEmptyReadBack)
{
    ScriptWriteAccepted();
    ScriptReadBack("UN");
    SetText(IDC_CLOSE_TIME_EDIT, L"4");
    Write(L"");
    std::vector<std::string> packets = SentPackets();
    ASSERT_EQ(3u, packets.size());
    EXPECT_EQ(std::string("UN\0\0\0\0\0\0", 8), packets[1]);
    EXPECT_TRUE(g_fake.messages.empty());
    EXPECT_EQ(L"Read S/N=", Text(IDC_READ_SN_TEXT));
    EXPECT_EQ(4000u, g_closeInterval);
}

TEST_F(RequestTest, WriteWithMatchingReadBack)
{
    ScriptWriteAccepted();
    ScriptReadBack("UNABC123");
    SetText(IDC_CLOSE_TIME_EDIT, L"5");
    Write(L"abc123");

    std::vector<std::string> packets = SentPackets();
    ASSERT_EQ(3u, packets.size());
    EXPECT_EQ(std::string("UW\0\0\0\0\0\0", 8), packets[0]);
    EXPECT_EQ("UNABC123", packets[1]);
    EXPECT_EQ(std::string("uN\0\0\0\0\0\0", 8), packets[2]);
    EXPECT_TRUE(g_fake.messages.empty());
    EXPECT_EQ(L"Read S/N=ABC123", Text(IDC_READ_SN_TEXT));
    EXPECT_EQ(LogBytes(std::wstring(GetTimestampText()) + L" Write=\"ABC123\", Read=\"ABC123\"\n"),
              ReadLogFile());
    EXPECT_EQ(5000u, g_closeInterval);
    EXPECT_EQ(0u, g_countdownStart);
    EXPECT_TRUE(IsWindowVisible(dialog));
}

// Write mode, close-time field 9. Columns: text typed, read-back answer.
struct VerifyErrorCase {
    const wchar_t *typed;
    const char *answer;
};

const VerifyErrorCase kVerifyErrors[] = {
    {L"abc123", "UNABC124"},
    {L"abc123", "UNabc123"},
    {L"abc", "UNABCD"},
    {L"abcd", "UNABC"},
    {L"abc123", "UN"},
    // No usable answer reads back as an empty serial number.
    {L"abc123", "XX"},
};

TEST_F(RequestTest, ReadBackThatDiffersIsAVerifyError)
{
    for (size_t i = 0; i < sizeof kVerifyErrors / sizeof kVerifyErrors[0]; ++i) {
        ResetFakePlatform();
        ResetFakeController();
        ScriptWriteAccepted();
        ScriptReadBack(kVerifyErrors[i].answer);
        g_closeInterval = 2000;
        SetText(IDC_CLOSE_TIME_EDIT, L"9");
        Write(kVerifyErrors[i].typed);
        ASSERT_EQ(1u, g_fake.messages.size()) << "case " << i;
        EXPECT_EQ(L"S/N verify error", g_fake.messages[0].text) << "case " << i;
        EXPECT_EQ(L"quendle", g_fake.messages[0].caption) << "case " << i;
        EXPECT_EQ(dialog, g_fake.messages[0].owner) << "case " << i;
        EXPECT_EQ(UINT(MB_OK | MB_ICONERROR), g_fake.messages[0].type) << "case " << i;
        EXPECT_EQ(2000u, g_closeInterval) << "case " << i;
        EXPECT_EQ(0u, g_countdownStart) << "case " << i;
    }
}

// Read mode, close-time field 3. Columns: read-back answer, serial number
// shown and logged.
struct ReadCase {
    const char *answer;
    const wchar_t *serial;
};

const ReadCase kReads[] = {
    {"UNABC123", L"ABC123"},
    {"UNQ", L"Q"},
    {"XXABC123", L""},
};

TEST_F(RequestTest, ReadShowsLogsAndStartsTheCountdown)
{
    for (size_t i = 0; i < sizeof kReads / sizeof kReads[0]; ++i) {
        ResetFakePlatform();
        ResetFakeController();
        ScriptReadBack(kReads[i].answer);
        DeleteLogFile();
        g_countdownStart = 0;
        g_fake.multimediaTime = 700000 + static_cast<DWORD>(i);
        SetText(IDC_CLOSE_TIME_EDIT, L"3");
        PressRequest();
        std::wstring serial = kReads[i].serial;
        EXPECT_EQ(1u, SentPackets().size()) << "case " << i;
        EXPECT_EQ(L"Read S/N=" + serial, Text(IDC_READ_SN_TEXT)) << "case " << i;
        EXPECT_EQ(LogBytes(std::wstring(GetTimestampText()) + L" Read=\"" + serial + L"\"\n"),
                  ReadLogFile())
            << "case " << i;
        EXPECT_EQ(3000u, g_closeInterval) << "case " << i;
        // The timer reading at the end of the request.
        EXPECT_EQ(g_fake.multimediaTime, g_countdownStart) << "case " << i;
    }
}

// The screen check fails, so the transfer fails although the controller
// answers. Columns: write mode, whether the countdown starts.
struct FailedTransferCase {
    bool writeMode;
    bool countdown;
};

const FailedTransferCase kFailedTransfers[] = {
    {false, true},
    {true, false},
};

TEST_F(RequestTest, FailedTransferKeepsTheResultLineAndTakesTheCloseInterval)
{
    for (size_t i = 0; i < sizeof kFailedTransfers / sizeof kFailedTransfers[0]; ++i) {
        ResetFakePlatform();
        ResetFakeController();
        g_controller.screenCount = 0;
        if (kFailedTransfers[i].writeMode) {
            ScriptWriteAccepted();
        }
        ScriptReadBack("UNABC123");
        g_closeInterval = 2000;
        g_countdownStart = 0;
        SetText(IDC_READ_SN_TEXT, L"Read S/N=OLD");
        SetText(IDC_CLOSE_TIME_EDIT, L"6");
        Click(kFailedTransfers[i].writeMode ? IDC_WRITE_RADIO : IDC_READ_RADIO);
        SetText(IDC_SN_EDIT, L"ABC123");
        PressRequest();
        EXPECT_EQ(L"Read S/N=OLD", Text(IDC_READ_SN_TEXT)) << "case " << i;
        EXPECT_EQ(6000u, g_closeInterval) << "case " << i;
        EXPECT_EQ(kFailedTransfers[i].countdown, g_countdownStart != 0) << "case " << i;
        for (const ShownMessage &message : g_fake.messages) {
            EXPECT_EQ(nullptr, message.owner)
                << "case " << i << ": only the transfer's own message: " << message.text;
        }
    }
}

// Read mode. Columns: close-time field, close interval taken.
struct CloseTimeCase {
    const wchar_t *field;
    DWORD interval;
};

const CloseTimeCase kCloseTimes[] = {
    {L"5", 5000},
    {L"  +7x", 7000},
    {L"abc", 0},
    {L"-1", 0xFFFFFC18},
    {L"", 0},
    {L"12345678", static_cast<DWORD>(12345678u * 1000u)},
    // Only eight characters are read.
    {L"1234567899", static_cast<DWORD>(12345678u * 1000u)},
};

TEST_F(RequestTest, CloseTimeFieldGivesTheCloseInterval)
{
    for (size_t i = 0; i < sizeof kCloseTimes / sizeof kCloseTimes[0]; ++i) {
        ResetFakeController();
        ScriptReadBack("UNABC123");
        g_countdownStart = 0;
        SetText(IDC_CLOSE_TIME_EDIT, kCloseTimes[i].field);
        PressRequest();
        EXPECT_EQ(kCloseTimes[i].interval, g_closeInterval)
            << "case " << i << ": field \"" << kCloseTimes[i].field << "\"";
    }
}

// Records the request button's enabling and disabling, with the number of
// controller calls made by then.
struct EnableChange {
    bool enabled;
    size_t calls;
};

static std::vector<EnableChange> g_enableChanges;
static WNDPROC g_buttonProc;

static LRESULT CALLBACK RecordingButtonProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam)
{
    if (message == WM_ENABLE) {
        g_enableChanges.push_back(EnableChange{wParam != FALSE, g_controller.calls.size()});
    }
    return CallWindowProcW(g_buttonProc, window, message, wParam, lParam);
}

TEST_F(RequestTest, RequestButtonIsDisabledWhileTheRequestRuns)
{
    ScriptReadBack("UNABC123");
    g_enableChanges.clear();
    g_buttonProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        Item(IDOK), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingButtonProc)));
    SetFocus(Item(IDOK));
    PressRequest();
    ASSERT_EQ(2u, g_enableChanges.size());
    EXPECT_FALSE(g_enableChanges[0].enabled);
    EXPECT_EQ(0u, g_enableChanges[0].calls) << "disabled before the controller is reached";
    EXPECT_TRUE(g_enableChanges[1].enabled);
    EXPECT_EQ(g_controller.calls.size(), g_enableChanges[1].calls)
        << "enabled after the last controller call";
    EXPECT_EQ(Item(IDOK), GetFocus()) << "the button keeps the focus it had";
}
