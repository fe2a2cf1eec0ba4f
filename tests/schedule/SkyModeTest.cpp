#include "schedule/SkyMode.h"

#include <gtest/gtest.h>

using namespace aerolune;

TEST(SkyModeTest, ModesFollowEachOtherInACycle) {
    static_assert(sizeof(SkyMode) == 1);
    EXPECT_EQ(next(SkyMode::sunrise), SkyMode::day);
    EXPECT_EQ(next(SkyMode::day), SkyMode::sunset);
    EXPECT_EQ(next(SkyMode::sunset), SkyMode::night);
    EXPECT_EQ(next(SkyMode::night), SkyMode::sunrise);
    for (std::size_t i = 0; i < allSkyModes.size(); ++i) {
        const SkyMode mode = allSkyModes[i];
        SCOPED_TRACE(describe(mode));
        EXPECT_EQ(static_cast<std::size_t>(mode), i);
        EXPECT_EQ(next(next(next(next(mode)))), mode);
        EXPECT_NE(next(mode), mode);
    }
    EXPECT_EQ(describe(SkyMode::sunset), "sunset");
}
