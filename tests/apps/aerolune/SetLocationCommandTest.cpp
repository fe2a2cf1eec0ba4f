#include "geocode/PlaceSearch.h"
#include "support/Program.h"
#include "support/ScopedConfigHome.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

using namespace aerolune;
using namespace aerolune::test;

TEST(SetLocationCommandTest, StoresAPairOrTheBestMatchOfANameAndPrintsItOrLeavesTheStoreAlone) {
    ScopedConfigHome home;
    const auto pair = runProgram(AEROLUNE_PROGRAM, {"--set-location", "-33.5,18.25"});
    EXPECT_EQ(pair.out + pair.err, "location: -33.5, 18.25\n");
    EXPECT_EQ(Prefs::coordinates(), (CLLocationCoordinate2D{-33.5, 18.25}));
    for (const char* text : {"Lisbon", "10001"}) {
        const auto best = PlaceSearch::search(text).value().at(0);
        EXPECT_EQ(runProgram(AEROLUNE_PROGRAM, {"--set-location", text}).out,
                  "place: " + best.describe() +
                      "\nlocation: " + shortestDecimal(best.coordinate.latitude) + ", " +
                      shortestDecimal(best.coordinate.longitude) + "\n");
        EXPECT_EQ(Prefs::coordinates(), best.coordinate) << text;
    }
    // Zero would read back as no place: stored, and said, just off it.
    const auto zero = runProgram(AEROLUNE_PROGRAM, {"-set-location=0,18.25"});
    EXPECT_EQ(zero.out + zero.err, "location: 0.000001, 18.25\n");
    EXPECT_EQ(Prefs::coordinates(), (CLLocationCoordinate2D{0.000001, 18.25}));
    // What cannot be found or stored leaves the store alone.
    const std::string stored = fileText(home.storeFile());
    // clang-format off
    for (const auto& [text, status, message] : {std::tuple{"91,2", 2, "--set-location: latitude 91.0 is outside [-90, 90]"},
                                                {"xyzzy", 1, "No place called \u201Cxyzzy\u201D was found."},
                                                {"", 1, "Nothing was typed: enter a city or a postal code."},
                                                {",5", 1, "\u201C,5\u201D has no place name before the comma: type a city first, such as \u201CParis, TX\u201D."}}) { // clang-format on
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

TEST(SetLocationCommandTest, MessagesAndTheHelpFollowTheUsersLanguageWhileTheReportKeepsItsForm) {
    ScopedConfigHome home;
    ScopedEnvironmentVariable all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr);
    {
        SCOPED_TRACE("LANGUAGE alone");
        ScopedEnvironmentVariable lang("LANG", nullptr), language("LANGUAGE", "fr");
        const auto run = runProgram(AEROLUNE_PROGRAM, {"--set-location", "xyzzy"});
        EXPECT_EQ(run.err, "aerolune: Aucun lieu nomm\u00E9 \u00AB\u202Fxyzzy\u202F\u00BB "
                           "n\u2019a \u00E9t\u00E9 trouv\u00E9.\n");
        // Option names stay as they are; the text around them is French.
        const auto help = runProgram(AEROLUNE_PROGRAM, {"--help"}).out;
        EXPECT_EQ(help.rfind("Utilisation", 0), 0u) << help.substr(0, 80);
        EXPECT_NE(help.find("\n  --set-location TEXT     enregistrer le lieu"), std::string::npos);
    }
    {
        SCOPED_TRACE("a locale that is not installed");
        ScopedEnvironmentVariable lang("LANG", "de_DE.UTF-8"), language("LANGUAGE", nullptr);
        const auto run = runProgram(AEROLUNE_PROGRAM, {"--set-location", "Lisbon"});
        EXPECT_EQ(run.out, "place: Lisbon, Portugal\nlocation: 38.71667, -9.13333\n")
            << "the report's keys and numbers are for scripts";
        EXPECT_EQ(runProgram(AEROLUNE_PROGRAM, {"--lat", "x"}).err,
                  "aerolune: --lat braucht eine Zahl in Grad, nicht \u201Ex\u201C\n");
        const auto moscow = runProgram(AEROLUNE_PROGRAM, {"--set-location", "Moscow"});
        EXPECT_EQ(moscow.out.substr(0, moscow.out.find('\n')), "place: Moscow, Russland")
            << "the country in the user's language";
    }
}
