#include "schedule/SkyMode.h"

#include <gtest/gtest.h>

using namespace aerolune;

TEST(SkyModeTest, ModesFollowEachOtherInACycle) {
    static_assert(sizeof(SkyMode) == 1);
    EXPECT_EQ(next(SkyMode::night), SkyMode::sunrise);
    for (std::size_t i = 0; i < allSkyModes.size(); ++i) {
        const SkyMode mode = allSkyModes[i];
        EXPECT_EQ(static_cast<std::size_t>(mode), i);
        EXPECT_EQ(next(mode), allSkyModes[(i + 1) % 4]) << describe(mode);
        EXPECT_EQ(next(next(next(next(mode)))), mode);
    }
}
