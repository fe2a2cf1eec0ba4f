#include "palette/ColorHelper.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <thread>

using namespace aerolune;

namespace {

std::size_t countEqual(const std::vector<Color>& colors, const Color& color) {
    return static_cast<std::size_t>(std::count(colors.begin(), colors.end(), color));
}

void expectRgb(const Color& color, int r, int g, int b, double alpha = 1.0) {
    EXPECT_EQ(color.red(), r / 255.0);
    EXPECT_EQ(color.green(), g / 255.0);
    EXPECT_EQ(color.blue(), b / 255.0);
    EXPECT_EQ(color.alpha(), alpha);
}

} // namespace

TEST(ColorHelperTest, SceneColoursHaveTheirExactComponents) {
    expectRgb(ColorHelper::daySkyColor(), 164, 221, 250);
    expectRgb(ColorHelper::nightSkyColor(), 19, 24, 98);
    expectRgb(ColorHelper::starColor(), 255, 248, 231, 0.95);
    EXPECT_EQ(ColorHelper::clearColor().alpha(), 0);
    {
        SCOPED_TRACE("cloud colour is a new grey of level 250 with the given alpha");
        expectRgb(ColorHelper::cloudColor(0.3), 250, 250, 250, 0.3);
        const Color invisible = ColorHelper::cloudColor(0);
        EXPECT_EQ(invisible.alpha(), 0);
        EXPECT_NE(invisible, ColorHelper::clearColor()) << "still a grey";
    }
    EXPECT_EQ(ColorHelper::color(255, 0, 0, 0.5), Color(1, 0, 0, 0.5));
    EXPECT_EQ(ColorHelper::white(51, 1), Color(0.2, 0.2, 0.2, 1));
}

TEST(ColorHelperTest, MembersAreBuiltOnceAndTheListsHoldTheirColoursInOrder) {
    EXPECT_EQ(&ColorHelper::daySkyColor(), &ColorHelper::daySkyColor());
    EXPECT_EQ(&ColorHelper::allColors(), &ColorHelper::allColors());
    EXPECT_EQ(&ColorHelper::fuchsia(), &ColorHelper::magenta());

    const auto& sunrise = ColorHelper::sunriseColors();
    ASSERT_EQ(sunrise.size(), 5u);
    EXPECT_EQ(sunrise.front(), ColorHelper::nightSkyColor());
    expectRgb(sunrise[1], 197, 172, 167);
    expectRgb(sunrise[2], 250, 179, 149);
    expectRgb(sunrise[3], 123, 149, 182);
    EXPECT_EQ(sunrise.back(), ColorHelper::daySkyColor());

    const auto& sunset = ColorHelper::sunsetColors();
    ASSERT_EQ(sunset.size(), 7u);
    EXPECT_EQ(sunset.front(), ColorHelper::daySkyColor());
    expectRgb(sunset[1], 255, 229, 119);
    expectRgb(sunset[2], 254, 192, 81);
    expectRgb(sunset[3], 255, 137, 103);
    expectRgb(sunset[4], 253, 96, 81);
    expectRgb(sunset[5], 103, 32, 119);
    EXPECT_EQ(sunset.back(), ColorHelper::nightSkyColor());

    const auto& all = ColorHelper::allColors();
    ASSERT_EQ(all.size(), 31u);
    const std::vector<const Color*> named{
        &ColorHelper::skyBlue(),    &ColorHelper::midnightBlue(), &ColorHelper::cobalt(),
        &ColorHelper::magenta(),    &ColorHelper::lilac(),        &ColorHelper::royalBlue(),
        &ColorHelper::mustard(),    &ColorHelper::softYellow(),   &ColorHelper::purple(),
        &ColorHelper::fuchsia(),    &ColorHelper::darkPlum(),     &ColorHelper::lightGreen(),
        &ColorHelper::lightBrown(), &ColorHelper::brightBlue(),   &ColorHelper::cornflowerBlue(),
        &ColorHelper::dustyRose(),  &ColorHelper::paleGrey(),     &ColorHelper::paleYellow(),
        &ColorHelper::mauve(),      &ColorHelper::periwinkle(),   &ColorHelper::paleBlue(),
        &ColorHelper::lavender(),   &ColorHelper::teal()};
    for (std::size_t i = 0; i < named.size(); ++i)
        EXPECT_EQ(all[i], *named[i]) << "entry " << i + 1;
    expectRgb(ColorHelper::cobalt(), 0, 71, 171);
    expectRgb(ColorHelper::darkPlum(), 44, 4, 28);
    expectRgb(ColorHelper::teal(), 86, 160, 167);
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(all[23 + i], sunset[1 + i]) << "entry " << 24 + i;
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(all[28 + i], sunrise[1 + i]) << "entry " << 29 + i;
}

TEST(ColorHelperTest, FilteringAllColoursByEqualityRemovesEveryEqualEntry) {
    const auto& all = ColorHelper::allColors();
    EXPECT_EQ(countEqual(all, ColorHelper::magenta()), 2u);
    EXPECT_EQ(all.size() - countEqual(all, ColorHelper::magenta()), 29u);
    EXPECT_EQ(all[0], ColorHelper::daySkyColor());
    EXPECT_EQ(all[1], ColorHelper::nightSkyColor());
    EXPECT_EQ(countEqual(all, ColorHelper::daySkyColor()), 1u);
    for (const auto& color : ColorHelper::sunriseColors())
        EXPECT_GE(countEqual(all, color), 1u);
    for (const auto& color : ColorHelper::sunsetColors())
        EXPECT_GE(countEqual(all, color), 1u);
    for (const auto& color : all)
        EXPECT_EQ(color.alpha(), 1.0);
}

TEST(ColorHelperTest, ConcurrentFirstReadsSeeOneList) {
    const std::vector<Color>* seen[4] = {};
    std::vector<std::thread> readers;
    for (auto& slot : seen)
        readers.emplace_back([&slot] { slot = &ColorHelper::sunsetColors(); });
    for (auto& reader : readers)
        reader.join();
    for (const auto* list : seen)
        EXPECT_EQ(list, seen[0]);
}
