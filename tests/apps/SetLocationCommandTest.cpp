#include "apps/RunAerolune.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace aerolune;
using namespace aerolune::test;
using ::testing::MatchesRegex;

TEST(SetLocationCommandTest, StoresThePlaceAndRefusesBadInputWithoutTouchingTheStore) {
    ScopedConfigHome home;
    const auto run = runAerolune({"--set-location", "-33.5,18.25"}, home.root());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out + run.err, "location: -33.5, 18.25\n");
    EXPECT_EQ(Prefs::coordinates(), (CLLocationCoordinate2D{-33.5, 18.25}));
    const std::string stored = fileText(home.storeFile());
    for (const char* value :
         {"91,2", "48.5,-180.5", "48.5", "north,east", "nan,2", "48.5,inf", ""}) {
        const auto refused = runAerolune({"--set-location", value}, home.root());
        EXPECT_EQ(refused.status, 2) << value;
        EXPECT_THAT(refused.out + refused.err, MatchesRegex("aerolune: --set-location[^\n]+\n"));
    }
    EXPECT_EQ(fileText(home.storeFile()), stored);

    const auto zero = runAerolune({"-set-location=0,18.25"}, home.root());
    EXPECT_EQ(zero.status, 0);
    EXPECT_THAT(zero.err, ::testing::HasSubstr("reads back as no location"));
}

TEST(SetLocationCommandTest, AStoreThatCannotBeWrittenFailsWithItsReason) {
    ScopedConfigHome home;
    std::ofstream(home.folder()) << "a file where the folder should be";
    const auto run = runAerolune({"--set-location", "48.5,2.25"}, home.root());
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.out + run.err, MatchesRegex("aerolune: the location was not stored: [^\n]+\n"));
}
