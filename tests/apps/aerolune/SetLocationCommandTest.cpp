#include "apps/aerolune/RunAerolune.h"
#include "geocode/PlaceSearch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace aerolune;
using namespace aerolune::test;
using ::testing::MatchesRegex;

TEST(SetLocationCommandTest, StoresThePairAndRefusesBadPairsWithoutTouchingTheStore) {
    ScopedConfigHome home;
    const auto run = runAerolune({"--set-location", "-33.5,18.25"}, home.root());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out + run.err, "location: -33.5, 18.25\n");
    EXPECT_EQ(Prefs::coordinates(), (CLLocationCoordinate2D{-33.5, 18.25}));
    const std::string stored = fileText(home.storeFile());
    for (const char* value : {"91,2", "48.5,-180.5", "nan,2", "48.5,inf"}) {
        const auto refused = runAerolune({"--set-location", value}, home.root());
        EXPECT_EQ(refused.status, 2) << value;
        EXPECT_THAT(refused.out + refused.err, MatchesRegex("aerolune: --set-location: [^\n]+\n"));
    }
    EXPECT_EQ(fileText(home.storeFile()), stored);

    const auto zero = runAerolune({"-set-location=0,18.25"}, home.root());
    EXPECT_EQ(zero.status, 0);
    EXPECT_THAT(zero.err, ::testing::HasSubstr("reads back as no location"));
}

TEST(SetLocationCommandTest, StoresTheBestMatchOfAPlaceAndSaysWhichItIs) {
    ScopedConfigHome home;
    struct Case {
        const char* text;
        const char* countryCode;
        double latitude, longitude; // roughly, to a tenth of a degree
    };
    for (const Case& c : {
             Case{"Lisbon", "PT", 38.72, -9.14},
             Case{"paris, tx", "US", 33.66, -95.56},
             Case{"São Paulo", "BR", -23.55, -46.64},
             Case{"MÜNCHEN", "DE", 48.14, 11.58},
             Case{"10001", "US", 40.75, -74.0},
         }) {
        SCOPED_TRACE(c.text);
        const auto run = runAerolune({"--set-location", c.text}, home.root());
        EXPECT_EQ(run.status, 0) << run.err;
        const auto best = PlaceSearch::search(c.text).candidates.at(0);
        EXPECT_EQ(best.countryCode, c.countryCode);
        EXPECT_NEAR(best.coordinate.latitude, c.latitude, 0.1);
        EXPECT_NEAR(best.coordinate.longitude, c.longitude, 0.1);
        EXPECT_EQ(run.out, "place: " + best.describe() +
                               "\nlocation: " + shortestDecimal(best.coordinate.latitude) + ", " +
                               shortestDecimal(best.coordinate.longitude) + "\n");
        EXPECT_EQ(Prefs::coordinates(), best.coordinate);
    }
}

TEST(SetLocationCommandTest, NoMatchPrintsTheErrorAndLeavesTheStoreAlone) {
    ScopedConfigHome home;
    ASSERT_FALSE(Prefs::setCoordinates({48.5, 2.25}));
    const std::string stored = fileText(home.storeFile());
    for (const auto& [text, message] : std::vector<std::pair<std::string, std::string>>{
             {"xyzzy", "No place called \u201Cxyzzy\u201D was found."},
             {"48.5", "No place called \u201C48.5\u201D was found."},
             {"48.5,2.5,1", "No place called \u201C48.5,2.5,1\u201D was found."},
             {"", "Nothing was typed: enter a city or a postal code."},
             {std::string(300, 'a'), "The text is too long: a place has at most 200 characters."},
         }) {
        const auto run = runAerolune({"--set-location", text}, home.root());
        EXPECT_EQ(run.status, 1) << text;
        EXPECT_EQ(run.out + run.err, "aerolune: " + message + "\n");
    }
    EXPECT_EQ(fileText(home.storeFile()), stored);
}

TEST(SetLocationCommandTest, AStoreThatCannotBeWrittenFailsWithItsReason) {
    ScopedConfigHome home;
    std::ofstream(home.folder()) << "a file where the folder should be";
    for (const char* text : {"48.5,2.25", "Lisbon"}) {
        const auto run = runAerolune({"--set-location", text}, home.root());
        EXPECT_EQ(run.status, 1);
        EXPECT_THAT(run.out + run.err,
                    MatchesRegex("aerolune: the location was not stored: [^\n]+\n"));
    }
}
