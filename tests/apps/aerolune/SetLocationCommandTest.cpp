#include "geocode/PlaceSearch.h"
#include "support/Program.h"
#include "support/ScopedConfigHome.h"

#include <gtest/gtest.h>

using namespace aerolune;
using namespace aerolune::test;

namespace {

ProgramRun setLocation(const std::string& text) {
    return runProgram(AEROLUNE_PROGRAM, {"--set-location", text});
}

} // namespace

TEST(SetLocationCommandTest, StoresAPairOrTheBestMatchOfANameAndPrintsIt) {
    ScopedConfigHome home;
    const auto pair = setLocation("-33.5,18.25");
    EXPECT_EQ(pair.status, 0);
    EXPECT_EQ(pair.out + pair.err, "location: -33.5, 18.25\n");
    EXPECT_EQ(Prefs::coordinates(), (CLLocationCoordinate2D{-33.5, 18.25}));
    for (const char* text : {"Lisbon", "paris, tx", "MÜNCHEN", "10001"}) {
        const auto run = setLocation(text);
        const auto best = PlaceSearch::search(text).value().at(0);
        EXPECT_EQ(run.out, "place: " + best.describe() +
                               "\nlocation: " + shortestDecimal(best.coordinate.latitude) + ", " +
                               shortestDecimal(best.coordinate.longitude) + "\n")
            << text;
        EXPECT_EQ(Prefs::coordinates(), best.coordinate) << text;
    }
    const auto zero = setLocation("0,18.25");
    EXPECT_EQ(zero.status, 0);
    EXPECT_NE(zero.err.find("reads back as no location"), std::string::npos) << zero.err;
}

TEST(SetLocationCommandTest, WhatCannotBeFoundOrStoredLeavesTheStoreAlone) {
    ScopedConfigHome home;
    ASSERT_TRUE(Prefs::setCoordinates({48.5, 2.25}));
    const std::string stored = fileText(home.storeFile());
    for (const auto& [text, status, message] :
         {std::tuple{"91,2", 2, "--set-location: latitude 91.0 is outside [-90, 90]"},
          {"48.5,inf", 2, "--set-location: longitude inf is not a finite number"},
          {"xyzzy", 1, "No place called \u201Cxyzzy\u201D was found."},
          {"", 1, "Nothing was typed: enter a city or a postal code."}}) {
        const auto run = setLocation(text);
        EXPECT_EQ(run.status, status);
        EXPECT_EQ(run.out + run.err, std::string("aerolune: ") + message + "\n");
    }
    EXPECT_EQ(fileText(home.storeFile()), stored);
    std::filesystem::remove_all(home.folder());
    std::ofstream(home.folder()) << "a file where the folder should be";
    const auto run = setLocation("Lisbon");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("aerolune: the location was not stored: ", 0), 0u) << run.err;
}
