// Write mode: what is written, what the log keeps, and what is refused.
#include "e2e_fixture.h"

// The log text of a serial number: one byte per character, "?" above 255.
static std::string LogText(const std::wstring &text)
{
    std::string bytes;
    for (wchar_t c : text) {
        bytes += c < 256 ? static_cast<char>(c) : '?';
    }
    return bytes;
}

TEST_F(QuendleRun, WriteStoresTheSerialNumberAndStaysOpen)
{
    // Entry typed; what the field shows and the controller stores afterwards.
    // All in one run: each request appends its line to the same log.
    const struct {
        const wchar_t *entry;
        const char *written;
    } cases[] = {
        {L"abc123", "ABC123"},
        {L"abcdefghi", "ABCDEF"},
        {L"", ""},
    };
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(SwitchToWrite());
    std::string expectedLog;
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i << ", entry "
                                        << testing::PrintToString(cases[i].entry));
        std::string written = cases[i].written;
        std::wstring shown(written.begin(), written.end());
        ASSERT_NO_FATAL_FAILURE(TypeSerial(cases[i].entry));
        PressRequest();
        ASSERT_TRUE(WaitForRequestEnd(i + 1));
        EXPECT_EQ(ReadControlText(dialog_, IDC_SN_EDIT), shown);
        EXPECT_EQ(ReadControlText(dialog_, IDC_READ_SN_TEXT), L"Read S/N=" + shown);
        expectedLog += StampedLine("Write=\"" + written + "\", Read=\"" + written + "\"");
        EXPECT_TRUE(LogMatches(Log(), expectedLog));
        EXPECT_EQ(State(), written + std::string(6 - written.size(), '\0'));
        EXPECT_EQ(CountMessageBoxes(instance_, dialog_), 0);
    }
    // No countdown after a write: the label keeps its text over several ticks.
    EXPECT_FALSE(WaitUntil(
        [&] { return ReadControlText(dialog_, IDC_CLOSE_TIME_TEXT) != L"Time to close"; }, 500));
    EXPECT_EQ(WaitForExit(instance_, 0), static_cast<DWORD>(STILL_ACTIVE));
    CloseAndExpectExit();
}

TEST_F(QuendleRun, FirstCharacterMustBeALetter)
{
    ASSERT_NO_FATAL_FAILURE(WriteState("QX1234"));
    ASSERT_NO_FATAL_FAILURE(StartWriteRequest(L"1abc"));
    BoxInfo box;
    ASSERT_NO_FATAL_FAILURE(ExpectMessageBox(
        L"'1' is not allowed for first character of S/N.\nFirst character should be alphabet.",
        true, kIconInformation, &box));
    EXPECT_FALSE(IsWindowEnabled(dialog_)) << "the owned message should disable the dialog";
    ASSERT_TRUE(DismissMessageBox(box.window));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(dialog_, IDOK)) != 0; },
                          kPromptMs));
    EXPECT_EQ(ReadControlText(dialog_, IDC_SN_EDIT), L"1ABC");
    EXPECT_EQ(ReadControlText(dialog_, IDC_READ_SN_TEXT), L"Read S/N");
    EXPECT_FALSE(LogExists());
    EXPECT_EQ(State(), "QX1234");
    CloseAndExpectExit();
}

TEST_F(QuendleRun, CharacterAbove255IsLoggedAsQuestionMark)
{
    const std::wstring entry = L"a\x4E2D" L"bc";
    const std::wstring shown = L"A\x4E2D" L"BC";
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(SwitchToWrite());
    ASSERT_NO_FATAL_FAILURE(TypeSerial(entry));
    PressRequest();
    ASSERT_TRUE(WaitUntil([&] { return LogExists(); }, kPromptMs));
    EXPECT_EQ(ReadControlText(dialog_, IDC_SN_EDIT), shown);
    // Whatever the ANSI code page makes of the character, both texts reach
    // the log with "?" in its place.
    EXPECT_TRUE(LogMatches(Log(), StampedLine("Write=\"" + LogText(shown) + "\", Read=\"" +
                                              LogText(shown) + "\"")));
    if (GetACP() == 1252) {
        // The code page has no such character: "?" is stored and read back,
        // which differs from what was typed.
        EXPECT_EQ(State(), std::string("A?BC\0\0", 6));
        BoxInfo box;
        ASSERT_NO_FATAL_FAILURE(ExpectMessageBox(L"S/N verify error", true, kIconError, &box));
        ASSERT_TRUE(DismissMessageBox(box.window));
    }
    ASSERT_TRUE(WaitForRequestEnd(1));
    CloseAndExpectExit();
}
