#include "geocode/PlaceSearch.h"
#include "support/Program.h"
#include "support/ScopedConfigHome.h"

#include <gtest/gtest.h>
#include <tuple>

using namespace aerolune;
using namespace aerolune::test;

TEST(SetLocationCommandTest, StoresAPairOrTheBestMatchOfANameAndPrintsIt) {
    ScopedConfigHome home;
    const auto pair = runProgram(AEROLUNE_PROGRAM, {"--set-location", "-33.5,18.25"});
    EXPECT_EQ(pair.out + pair.err, "location: -33.5, 18.25\n");
    EXPECT_EQ(Prefs::coordinates(), (CLLocationCoordinate2D{-33.5, 18.25}));
    for (const char* text : {"Lisbon", "paris, tx", "MÜNCHEN", "10001"}) {
        const auto best = PlaceSearch::search(text).value().at(0);
        EXPECT_EQ(runProgram(AEROLUNE_PROGRAM, {"--set-location", text}).out,
                  "place: " + best.describe() +
                      "\nlocation: " + shortestDecimal(best.coordinate.latitude) + ", " +
                      shortestDecimal(best.coordinate.longitude) + "\n");
        EXPECT_EQ(Prefs::coordinates(), best.coordinate) << text;
    }
    const auto zero = runProgram(AEROLUNE_PROGRAM, {"-set-location=0,18.25"});
    EXPECT_NE(zero.err.find("reads back as no location"), std::string::npos) << zero.err;
}

TEST(SetLocationCommandTest, WhatCannotBeFoundOrStoredLeavesTheStoreAlone) {
    ScopedConfigHome home;
    ASSERT_TRUE(Prefs::setCoordinates({48.5, 2.25}));
    const std::string stored = fileText(home.storeFile());
    // clang-format off
    for (const auto& [text, status, message] : {std::tuple{"91,2", 2, "--set-location: latitude 91.0 is outside [-90, 90]"},
                                                {"48.5,inf", 2, "--set-location: longitude inf is not a finite number"},
                                                {"xyzzy", 1, "No place called \u201Cxyzzy\u201D was found."},
                                                {"", 1, "Nothing was typed: enter a city or a postal code."}}) { // clang-format on
        const auto run = runProgram(AEROLUNE_PROGRAM, {"--set-location", text});
        EXPECT_EQ(std::pair(run.status, run.out + run.err),
                  std::pair(status, "aerolune: " + std::string(message) + "\n"));
    }
    EXPECT_EQ(fileText(home.storeFile()), stored);
    std::filesystem::remove_all(home.folder());
    std::ofstream(home.folder()) << "a file where the folder should be";
    const auto run = runProgram(AEROLUNE_PROGRAM, {"--set-location", "Lisbon"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("aerolune: the location was not stored: ", 0), 0u) << run.err;
}
