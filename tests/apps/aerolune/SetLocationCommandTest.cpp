#include "support/Program.h"
#include "support/ScopedConfigHome.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>
#include <tuple>

using namespace aerolune;
using namespace aerolune::test;

TEST(SetLocationCommandTest, StoresAPairOrTheBestMatchOfANameAndPrintsItInTheUsersLanguage) {
    ScopedConfigHome home;
    EXPECT_EQ(runProgram(AEROLUNE_PROGRAM, {"--set-location", "-33.5,18.25"}).out,
              "location: -33.5, 18.25\n");
    EXPECT_EQ(Prefs::coordinates(), (CLLocationCoordinate2D{-33.5, 18.25}));
    // Zero would read back as no place: stored, and said, just off it.
    EXPECT_EQ(runProgram(AEROLUNE_PROGRAM, {"-set-location=0,18.25"}).out,
              "location: 0.000001, 18.25\n");
    EXPECT_EQ(Prefs::coordinates(), (CLLocationCoordinate2D{0.000001, 18.25}));
    // Messages and the help follow the user's language; the report keeps its form.
    ScopedEnvironmentVariable all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr);
    {
        SCOPED_TRACE("LANGUAGE alone");
        ScopedEnvironmentVariable lang("LANG", nullptr), language("LANGUAGE", "fr");
        const auto run = runProgram(AEROLUNE_PROGRAM, {"--set-location", "xyzzy"});
        EXPECT_EQ(run.err, "aerolune: Aucun lieu nomm\u00E9 \u00AB\u202Fxyzzy\u202F\u00BB "
                           "n\u2019a \u00E9t\u00E9 trouv\u00E9.\n");
        // Option names stay as they are; the text around them is French.
        const auto help = runProgram(AEROLUNE_PROGRAM, {"--help"}).out;
        EXPECT_NE(help.find("\n  --set-location TEXT     enregistrer le lieu"), std::string::npos)
            << help;
    }
    {
        SCOPED_TRACE("a locale that is not installed");
        ScopedEnvironmentVariable lang("LANG", "de_DE.UTF-8"), language("LANGUAGE", nullptr);
        EXPECT_EQ(runProgram(AEROLUNE_PROGRAM, {"--set-location", "Lisbon"}).out,
                  "place: Lisbon, Portugal\nlocation: 38.71667, -9.13333\n")
            << "the report's keys and numbers are for scripts";
        EXPECT_EQ(Prefs::coordinates(), (CLLocationCoordinate2D{38.71667, -9.13333}));
        EXPECT_TRUE(runProgram(AEROLUNE_PROGRAM, {"--set-location", "Moscow"})
                        .out.starts_with("place: Moscow, Russland\n"))
            << "the country in the user's language";
    }
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
