#include <gtest/gtest.h>

#include "clock.h"
#include "fake_platform.h"

TEST(Clock, FirstCallShowsTheAnchoredLocalTime)
{
    ResetFakePlatform();
    EXPECT_STREQ(L"2026/ 3/ 4 05:06:07", GetTimestampText());
}
