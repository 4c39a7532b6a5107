// Read mode: the serial number read back, its log line, and the countdown
// that closes the dialog by itself.
#include "e2e_fixture.h"

#include <stdlib.h>

// Milliseconds left as the countdown label shows them ("%d.%.3d").
static long CountdownMs(const std::wstring &text)
{
    WCHAR *end = nullptr;
    long seconds = wcstol(text.c_str(), &end, 10);
    return seconds * 1000 + wcstol(end + 1, nullptr, 10);
}

TEST_F(QuendleRun, ReadShowsTheStoredSerialNumberAndClosesAfterTheInterval)
{
    ASSERT_NO_FATAL_FAILURE(WriteState("QX1234"));
    ASSERT_NO_FATAL_FAILURE(Start());
    // Text in the read-only entry is upper-cased and put back, and does not
    // change what is read.
    ASSERT_NO_FATAL_FAILURE(TypeSerial(L"qx9"));
    DWORD pressed = GetTickCount();
    PressRequest();
    ASSERT_TRUE(WaitForControlText(dialog_, IDC_READ_SN_TEXT, L"Read S/N=QX1234", kPromptMs));
    EXPECT_EQ(ReadControlText(dialog_, IDC_SN_EDIT), L"QX9");

    std::wstring countdown;
    ASSERT_TRUE(WaitUntil(
        [&] {
            countdown = ReadControlText(dialog_, IDC_CLOSE_TIME_TEXT);
            return countdown != L"Time to close";
        },
        kPromptMs));
    EXPECT_TRUE(MatchesWhole(countdown, kCountdownPattern)) << testing::PrintToString(countdown);
    EXPECT_GT(CountdownMs(countdown), 1000) << testing::PrintToString(countdown);
    EXPECT_LE(CountdownMs(countdown), 2000) << testing::PrintToString(countdown);

    // A press while the countdown runs does nothing.
    PressRequest();
    EXPECT_EQ(WaitForExit(instance_, kPromptMs), 0u);
    DWORD closedAfter = GetTickCount() - pressed;
    EXPECT_GE(closedAfter, 2000u);
    EXPECT_LT(closedAfter, 4000u);
    EXPECT_TRUE(LogMatches(Log(), StampedLine("Read=\"QX1234\"")));
}

TEST_F(QuendleRun, CloseTimeFieldSetsTheInterval)
{
    // Close-time text; the dialog must still be open this long after the
    // press (0: not checked); it must be gone this long after it (0: it does
    // not close by itself).
    const struct {
        const wchar_t *closeTime;
        DWORD openAtMs;
        DWORD goneByMs;
    } cases[] = {
        {L"5", 3000, 7000},
        {L"abc", 0, 1000},
        {L"-1", 3000, 0},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i << ", close time "
                                        << testing::PrintToString(cases[i].closeTime));
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_TRUE(WriteControlText(dialog_, IDC_CLOSE_TIME_EDIT, cases[i].closeTime));
        DWORD pressed = GetTickCount();
        PressRequest();
        if (cases[i].openAtMs != 0) {
            ASSERT_TRUE(WaitForControlText(dialog_, IDC_READ_SN_TEXT, L"Read S/N=", kPromptMs));
            DWORD elapsed = GetTickCount() - pressed;
            DWORD rest = elapsed < cases[i].openAtMs ? cases[i].openAtMs - elapsed : 0;
            EXPECT_EQ(WaitForExit(instance_, rest), static_cast<DWORD>(STILL_ACTIVE))
                << "closed before " << cases[i].openAtMs << " ms";
        }
        if (cases[i].goneByMs != 0) {
            DWORD elapsed = GetTickCount() - pressed;
            DWORD rest = elapsed < cases[i].goneByMs ? cases[i].goneByMs - elapsed : 0;
            EXPECT_EQ(WaitForExit(instance_, rest), 0u)
                << "still open " << cases[i].goneByMs << " ms after the press";
        } else {
            EXPECT_TRUE(MatchesWhole(ReadControlText(dialog_, IDC_CLOSE_TIME_TEXT),
                                     kCountdownPattern));
            CloseAndExpectExit();
        }
        EndInstance(&instance_);
    }
}
