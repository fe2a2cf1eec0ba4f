#include "palette/ColorHelper.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>

using namespace aerolune;

TEST(ColorHelperTest, TheGradientPaletteHoldsEveryListColourOnceAndMagentaTwice) {
    const auto& all = ColorHelper::allColors();
    const auto count = [&](const Color& c) { return std::count(all.begin(), all.end(), c); };
    EXPECT_EQ(count(ColorHelper::magenta()), 2) << "fuchsia is magenta";
    for (const auto* list : {&ColorHelper::sunriseColors(), &ColorHelper::sunsetColors()})
        for (std::size_t i = 0; i < list->size(); ++i)
            EXPECT_EQ(count((*list)[i]), 1) << "entry " << i;
    EXPECT_TRUE(std::all_of(all.begin(), all.end(), [](const Color& c) { return c.alpha() == 1; }));
}
