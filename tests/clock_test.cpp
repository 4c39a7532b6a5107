#include <gtest/gtest.h>

#include "clock.h"
#include "fake_platform.h"

static SYSTEMTIME LocalTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second,
                            WORD milliseconds)
{
    return SYSTEMTIME{year, month, 0, day, hour, minute, second, milliseconds};
}

// Anchors the clock as a first call does: a reading of 0 is below any anchor
// and leaves the clock unanchored, so the next call anchors.
static void AnchorAt(DWORD tick, const SYSTEMTIME &localTime)
{
    g_fake.localTime = localTime;
    g_fake.multimediaTime = 0;
    GetTimestampText();
    g_fake.multimediaTime = tick;
    GetTimestampText();
}

// Columns: local time at anchoring, text shown then.
struct FormatCase {
    SYSTEMTIME local;
    const wchar_t *text;
};

const FormatCase kFormats[] = {
    {LocalTime(2026, 3, 4, 5, 6, 7, 999), L"2026/ 3/ 4 05:06:07"},
    {LocalTime(2026, 12, 31, 23, 59, 59, 0), L"2026/12/31 23:59:59"},
    {LocalTime(1999, 1, 10, 0, 0, 0, 0), L"1999/ 1/10 00:00:00"},
    {LocalTime(1601, 10, 1, 9, 8, 0, 0), L"1601/10/ 1 09:08:00"},
    // A year of five digits would not fit: the last moment that does.
    {LocalTime(10000, 1, 1, 0, 0, 0, 0), L"9999/12/31 23:59:59"},
    {LocalTime(30000, 6, 7, 8, 9, 10, 0), L"9999/12/31 23:59:59"},
};

TEST(Clock, FormatPadsMonthAndDayWithBlanksAndTheTimeWithZeros)
{
    for (size_t i = 0; i < sizeof kFormats / sizeof kFormats[0]; ++i) {
        AnchorAt(50000, kFormats[i].local);
        EXPECT_STREQ(kFormats[i].text, GetTimestampText()) << "case " << i;
    }
}

// Columns: anchor tick, local time at anchoring, later timer reading, text.
struct ProgressCase {
    DWORD anchorTick;
    SYSTEMTIME local;
    DWORD reading;
    const wchar_t *text;
};

const ProgressCase kProgress[] = {
    {50000, LocalTime(2026, 3, 4, 5, 6, 7, 0), 51500, L"2026/ 3/ 4 05:06:08"},
    {50000, LocalTime(2026, 3, 4, 5, 6, 7, 600), 51500, L"2026/ 3/ 4 05:06:09"},
    {50000, LocalTime(2026, 12, 31, 23, 59, 59, 500), 50500, L"2027/ 1/ 1 00:00:00"},
    {50000, LocalTime(2028, 2, 28, 12, 0, 0, 0), 50000 + 86400000, L"2028/ 2/29 12:00:00"},
    // Ticks near the top of the counter must not overflow.
    {0xFFFF0000, LocalTime(2026, 3, 4, 5, 6, 7, 0), 0xFFFFFFFF, L"2026/ 3/ 4 05:07:12"},
};

TEST(Clock, TextFollowsTheTimerFromTheAnchor)
{
    for (size_t i = 0; i < sizeof kProgress / sizeof kProgress[0]; ++i) {
        const ProgressCase &c = kProgress[i];
        AnchorAt(c.anchorTick, c.local);
        g_fake.multimediaTime = c.reading;
        EXPECT_STREQ(c.text, GetTimestampText()) << "case " << i;
    }
}

// After anchoring at tick 50000 on 05:06:07 the wall clock jumps to another
// day. Columns: timer reading, text shown.
struct WallClockStep {
    DWORD reading;
    const wchar_t *text;
};

const WallClockStep kWallClockSteps[] = {
    {51000, L"2026/ 3/ 4 05:06:08"},
    {50000, L"2026/ 3/ 4 05:06:07"},
    // The timer wrapped: anchored again on the new wall clock.
    {49999, L"2026/ 9/20 18:30:00"},
    {52999, L"2026/ 9/20 18:30:03"},
};

TEST(Clock, WallClockChangeShowsOnlyAfterTheTimerWraps)
{
    AnchorAt(50000, LocalTime(2026, 3, 4, 5, 6, 7, 0));
    g_fake.localTime = LocalTime(2026, 9, 20, 18, 30, 0, 0);
    for (size_t i = 0; i < sizeof kWallClockSteps / sizeof kWallClockSteps[0]; ++i) {
        g_fake.multimediaTime = kWallClockSteps[i].reading;
        EXPECT_STREQ(kWallClockSteps[i].text, GetTimestampText()) << "step " << i;
    }
}
