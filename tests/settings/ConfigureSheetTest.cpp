#include "settings/ConfigureSheet.h"

#include <gtest/gtest.h>

using namespace aerolune;

TEST(ConfigureSheetTest, DescribesTheWindowAndANewSheetOnEveryCall) {
    const auto post = [](Geocoder::Task task) { task(); };
    const auto sheet = ConfigureSheet::create(post);
    EXPECT_EQ(sheet.contentRect, (ConfigureSheet::Rect{0, 0, 800, 600}));
    EXPECT_EQ(sheet.styleMask, 0x800Fu);
    EXPECT_EQ(sheet.backing, ConfigureSheet::Backing::buffered);
    EXPECT_FALSE(sheet.defer);
    EXPECT_TRUE(sheet.centred);
    EXPECT_EQ(sheet.frameAutosaveName, "Main Window");
    EXPECT_FALSE(sheet.releasedWhenClosed);

    ASSERT_TRUE(sheet.window);
    ASSERT_TRUE(sheet.contentView);
    EXPECT_EQ(sheet.contentView->window(), sheet.window);
    EXPECT_EQ(sheet.contentView->locationInput(), "");
    EXPECT_FALSE(sheet.contentView->coordinates());
    EXPECT_FALSE(sheet.contentView->error());

    const auto again = ConfigureSheet::create(post);
    EXPECT_NE(again.window, sheet.window);
    EXPECT_NE(again.contentView, sheet.contentView);

    int ended = 0;
    sheet.window->setEndSheetHandler([&] { ++ended; });
    again.contentView->cancel();
    EXPECT_EQ(ended, 0) << "one sheet ended another's window";
    sheet.contentView->cancel();
    EXPECT_EQ(ended, 1);
}
