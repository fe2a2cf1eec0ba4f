#include "sheet/ConfigureSheet.h"

#include <gtest/gtest.h>

using namespace aerolune;

TEST(ConfigureSheetTest, DescribesTheWindowAndANewSheetOnEveryCall) {
    const auto post = [](Geocoder::Task task) { task(); };
    const auto sheet = ConfigureSheet::create(post);
    EXPECT_EQ(sheet.contentRect, (ConfigureSheet::Rect{0, 0, 800, 600}));
    EXPECT_EQ(sheet.styleMask, 0x800Fu);
    EXPECT_EQ(sheet.backing, ConfigureSheet::Backing::buffered);
    EXPECT_TRUE(!sheet.defer && sheet.centred && !sheet.releasedWhenClosed);
    EXPECT_EQ(sheet.frameAutosaveName, "Main Window");
    ASSERT_TRUE(sheet.window && sheet.contentView);
    EXPECT_EQ(sheet.contentView->window(), sheet.window);
    EXPECT_EQ(sheet.contentView->locationInput(), "");
    EXPECT_FALSE(sheet.contentView->coordinates() || sheet.contentView->error());

    const auto again = ConfigureSheet::create(post);
    EXPECT_TRUE(again.window != sheet.window && again.contentView != sheet.contentView);
    int ended = 0;
    sheet.window->setEndSheetHandler([&] { ++ended; });
    again.contentView->cancel();
    EXPECT_EQ(ended, 0) << "one sheet ended another's window";
    sheet.contentView->cancel();
    EXPECT_EQ(ended, 1);
}
