#include "schedule/SkyMode.h"

#include <gtest/gtest.h>

using namespace aerolune;

TEST(SkyModeTest, ModesFollowEachOtherThroughTheDayAndWrapAtNight) {
    EXPECT_EQ(next(SkyMode::sunrise), SkyMode::day);
    EXPECT_EQ(next(SkyMode::day), SkyMode::sunset);
    EXPECT_EQ(next(SkyMode::sunset), SkyMode::night);
    EXPECT_EQ(next(SkyMode::night), SkyMode::sunrise);
}
