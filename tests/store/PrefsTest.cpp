#include "store/Prefs.h"

#include "support/ScopedConfigHome.h"
#include "support/ScopedEnvironment.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <ostream>
#include <tuple>

using namespace aerolune;
using namespace aerolune::test;
using ::testing::HasSubstr;

TEST(PrefsTest, PlacesComeBackBitForBitWhatIsNoPlaceIsRefusedAndZeroIsNone) {
    ScopedConfigHome home;
    EXPECT_FALSE(Prefs::coordinates());
    EXPECT_FALSE(std::filesystem::exists(home.storeFile())) << "reading never writes";
    ASSERT_TRUE(Prefs::setCoordinates({48.5, 2.25}));
    EXPECT_EQ(Prefs::coordinates(), (CLLocationCoordinate2D{48.5, 2.25}));
    const auto stored = fileText(home.storeFile());
    EXPECT_EQ(stored, "[AeroluneSaverPrefs]\ncoordinates.lat=48.5\ncoordinates.lon=2.25\n");
    // clang-format off
    for (const auto& [bad, reason] : {std::pair{CLLocationCoordinate2D{90.5, 2}, "latitude 90.5 is outside [-90, 90]"},
                                      {{48, -180.5}, "longitude -180.5 is outside [-180, 180]"},
                                      {{48, INFINITY}, "longitude inf is not a finite number"}}) { // clang-format on
        const auto refused = Prefs::setCoordinates(bad);
        EXPECT_EQ(refused ? "stored" : refused.error().message, reason);
        EXPECT_EQ(fileText(home.storeFile()), stored);
    }
    for (const auto place :
         {CLLocationCoordinate2D{-33.5, 18.5}, {90, -180}, {5e-324, -1e-300}, {0.3, 1 / 3.0}}) {
        ASSERT_TRUE(Prefs::setCoordinates(place));
        const auto read = Prefs::coordinates().value_or(CLLocationCoordinate2D{});
        EXPECT_EQ(std::memcmp(&read, &place, sizeof place), 0) << describe(place);
    }
    // Zero is how the file says "no place": a zero axis is stored just off
    // it, on the side of its sign; a zero written by anything else is none.
    // clang-format off
    for (const auto& [place, kept] : {std::pair{CLLocationCoordinate2D{0.0, 10.0}, CLLocationCoordinate2D{0.000001, 10.0}},
                                      {{10.0, 0.0}, {10.0, 0.000001}}, {{-0.0, -0.0}, {-0.000001, -0.000001}},
                                      {{1e-300, 10}, {1e-300, 10}}}) { // clang-format on
        ASSERT_TRUE(Prefs::setCoordinates(place));
        EXPECT_EQ(Prefs::coordinates(), kept) << describe(place);
    }
    EXPECT_EQ(fileText(home.storeFile()).find("e-"), std::string::npos) << "numbers are plain";
    for (const auto* zero :
         {"coordinates.lat=0\ncoordinates.lon=10", "coordinates.lat=10\ncoordinates.lon=-0.0"}) {
        std::ofstream(home.storeFile()) << "[AeroluneSaverPrefs]\n" << zero << "\n";
        EXPECT_FALSE(Prefs::coordinates()) << zero;
    }
}

TEST(PrefsTest, DamagedStoresReadAsNoLocationSayWhyAndAreLeftAlone) {
    // clang-format off
    for (const auto& [lines, logged, reason] : {
             std::tuple{"lat 48.5", "0.0, 0.0", "line 2 is not"},
             {"coordinates.lat=abc\ncoordinates.lon=2.25", "0.0, 2.25", "lat is not a number"},
             {"coordinates.lat=nan\ncoordinates.lon=2.25", "nan, 2.25", "latitude nan is not a"},
             {"coordinates.lat=90.000001\ncoordinates.lon=2", "90.000001, 2.0", "latitude 90.000001 is outside [-90, 90]"},
             {"coordinates.lat=48.5\ncoordinates.lon=-180.5", "48.5, -180.5", "longitude -180.5 is outside [-180, 180]"},
             {"coordinates.lat=-90\ncoordinates.lon=+180", "-90.0, 180.0", ""}}) { // clang-format on
        ScopedConfigHome home;
        std::filesystem::create_directories(home.folder());
        const std::string text = std::string("[AeroluneSaverPrefs]\n") + lines + "\n";
        std::ofstream(home.storeFile()) << text;
        ScopedLogRecorder log;
        EXPECT_EQ(Prefs::coordinates().has_value(), *reason == '\0') << lines;
        EXPECT_EQ(log.lines().at(0), std::string("[vemo] Prefs. coordinates: ") + logged);
        EXPECT_EQ(log.lines().size(), *reason ? 2u : 1u);
        EXPECT_THAT(log.lines().back(), HasSubstr(reason));
        EXPECT_EQ(fileText(home.storeFile()), text);
    }
}

TEST(PrefsTest, TheFolderIsWhereTheEnvironmentSaysAndWithoutOneNothingIsRead) {
    ScopedConfigHome home;
    // Relative paths are ignored, as the XDG rules say.
    ScopedEnvironmentVariable xdg("XDG_CONFIG_HOME", "relative"), user("HOME", nullptr);
    Prefs::resetForTesting();
    EXPECT_FALSE(Prefs::coordinates());
    EXPECT_FALSE(Prefs::setCoordinates({48.5, 2.25}));
    // The suite is made once; only a reset finds a folder that appears later.
    ScopedEnvironmentVariable again("XDG_CONFIG_HOME", home.root().c_str());
    EXPECT_FALSE(Prefs::storeFile());
    Prefs::resetForTesting();
    EXPECT_EQ(Prefs::storeFile(), home.storeFile());
}
