#include "apps/RunAerolune.h"
#include "settings/Prefs.h"
#include "support/ScopedConfigHome.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace aerolune;
using namespace aerolune::test;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
namespace fs = std::filesystem;

TEST(SetLocationCommandTest, StoresThePlaceAndPrintsIt) {
    ScopedConfigHome home;
    const auto run = runAerolune({"--set-location", "-33.5,18.25"}, home.root());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "location: -33.5, 18.25\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(fileText(home.storeFile()),
              "[AeroluneSaverPrefs]\ncoordinates.lat=-33.5\ncoordinates.lon=18.25\n");
    EXPECT_EQ(Prefs::coordinates(), (CLLocationCoordinate2D{-33.5, 18.25}));

    const auto zero = runAerolune({"-set-location=0,18.25"}, home.root());
    EXPECT_EQ(zero.status, 0);
    EXPECT_THAT(zero.err, HasSubstr("reads back as no location"));
    EXPECT_FALSE(Prefs::coordinates());
}

TEST(SetLocationCommandTest, RefusedInputLeavesTheStoreAsItWas) {
    ScopedConfigHome home;
    ASSERT_FALSE(Prefs::setCoordinates({48.5, 2.25}));
    const std::string before = fileText(home.storeFile());
    for (const char* value : {"91,2", "-90.01,2", "48.5,180.5", "48.5,-181", "48.5", "48.5,",
                              "north,east", "nan,2", "48.5,inf", "48.5,2.25,3", ""}) {
        SCOPED_TRACE(value);
        const auto run = runAerolune({"--set-location", value}, home.root());
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_THAT(run.err, MatchesRegex("aerolune: --set-location[^\n]+\n"));
        EXPECT_EQ(fileText(home.storeFile()), before);
    }
    EXPECT_EQ(runAerolune({"--set-location"}, home.root()).status, 2);
    EXPECT_EQ(fileText(home.storeFile()), before);
}

TEST(SetLocationCommandTest, AStoreThatCannotBeWrittenFailsWithItsReason) {
    ScopedConfigHome home;
    std::ofstream(home.folder()) << "a file where the folder should be";
    const auto run = runAerolune({"--set-location", "48.5,2.25"}, home.root());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_THAT(run.err, MatchesRegex("aerolune: the location was not stored: [^\n]+\n"));
}
