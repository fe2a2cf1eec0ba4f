#include "desktop/BackgroundPictures.h"

#include "support/ScopedEnvironment.h"
#include "support/TemporaryFolder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace aerolune;
namespace fs = std::filesystem;

// Names of their own within one second; only the pictures are ever removed,
// the one showing kept; what was saved reads back whole until forgotten.
TEST(BackgroundPicturesTest, NamesOfTheirOwnAndNothingElseTouched) {
    const test::TemporaryFolder folder("aerolune-pictures");
    const auto pictures = BackgroundPictures::open(folder.path() / "aerolune").value();
    EXPECT_EQ(fs::status(folder.path() / "aerolune").permissions() & fs::perms::all,
              fs::perms::owner_all);
    const TimePoint moment = test::at("2024-06-21T12:00:00Z");
    std::ofstream(pictures.nameFor(moment)) << "1";
    const fs::path second = pictures.nameFor(moment + 0.5);
    EXPECT_EQ(second.filename(), "sky-20240621T120000Z-2.png");
    std::ofstream(second) << "2";
    const char* others[] = {"notes.txt", "sky-mine.png", "sky-20240621T120000Z-3.png.tmp"};
    for (const char* other : others)
        std::ofstream(folder.path() / "aerolune" / other) << "theirs";
    for (int i = 3; i <= 10; ++i)
        std::ofstream(pictures.nameFor(moment)) << i;
    EXPECT_EQ(pictures.pictures().back().filename(), "sky-20240621T120000Z-10.png")
        << "the tenth comes after the ninth";
    pictures.keepOnly(second);
    EXPECT_EQ(pictures.pictures(), std::vector<fs::path>{second});
    for (const char* other : others)
        EXPECT_TRUE(fs::exists(folder.path() / "aerolune" / other)) << other;
    EXPECT_TRUE(pictures.isPicture("file://" + second.string()));
    EXPECT_FALSE(pictures.isPicture("/usr/share/backgrounds/sky-1.png"));

    EXPECT_FALSE(pictures.saved());
    const DesktopBackground::Setting setting{{"picture-uri", "'file:///a b/c=d.png'"},
                                             {"picture-options", "'zoom'"}};
    ASSERT_TRUE(pictures.save("gnome", setting));
    EXPECT_EQ(pictures.saved(), std::pair(std::string("gnome"), setting));
    pictures.forget();
    EXPECT_FALSE(pictures.saved());
}
