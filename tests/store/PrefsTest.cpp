#include "store/Prefs.h"

#include "platform/core/Random.h"
#include "support/ScopedConfigHome.h"
#include "support/ScopedEnvironment.h"

#include <cstring>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace aerolune;
using namespace aerolune::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

TEST(PrefsTest, StoredPlacesComeBackBitForBit) {
    ScopedConfigHome home;
    ScopedLogRecorder log;
    EXPECT_FALSE(Prefs::coordinates());
    EXPECT_FALSE(fs::exists(home.storeFile())) << "reading never writes";
    EXPECT_FALSE(Prefs::setCoordinates({48.5, 2.25}));
    EXPECT_EQ(Prefs::coordinates(), (CLLocationCoordinate2D{48.5, 2.25}));
    EXPECT_THAT(log.lines(), ElementsAre("[vemo] Prefs. coordinates: 0.0, 0.0",
                                         "[vemo] Prefs. set coords CLLocationCoordinate2D("
                                         "latitude: 48.5, longitude: 2.25)",
                                         "[vemo] Prefs. coordinates: 48.5, 2.25"));
    EXPECT_EQ(fileText(home.storeFile()),
              "[AeroluneSaverPrefs]\ncoordinates.lat=48.5\ncoordinates.lon=2.25\n");
    Random random(7);
    std::vector<CLLocationCoordinate2D> places{{-33.5, 18.5}, {90, -180}, {5e-324, -1e-300}};
    for (int i = 0; i < 100; ++i)
        places.push_back({random.uniform(-90, 90), random.uniform(-180, 180)});
    for (const auto& place : places) {
        ASSERT_FALSE(Prefs::setCoordinates(place));
        const auto read = Prefs::coordinates().value_or(CLLocationCoordinate2D{});
        EXPECT_EQ(std::memcmp(&read, &place, sizeof place), 0) << describe(place);
    }
}

TEST(PrefsTest, ZeroOnEitherAxisIsNoLocation) {
    ScopedConfigHome home;
    for (const auto place : {CLLocationCoordinate2D{0.0, 10.0}, {10.0, 0.0}, {-0.0, 10.0}}) {
        ScopedLogRecorder log;
        EXPECT_FALSE(Prefs::setCoordinates(place));
        EXPECT_FALSE(Prefs::coordinates()) << describe(place);
        EXPECT_EQ(log.lines().size(), 2u) << "the zero rule logs no reason";
    }
}

TEST(PrefsTest, DamagedStoresReadAsNoLocationSayWhyAndAreLeftAlone) {
    // clang-format off
    for (const auto& [group, logged, reason] : {
             std::tuple{"lat 48.5",                                "0.0, 0.0",       "line 2 is not"},
             {"coordinates.lat=abc\ncoordinates.lon=2.25",        "0.0, 2.25",      "lat is not a number: \"abc\""},
             {"coordinates.lat=48.5\ncoordinates.lon=",           "48.5, 0.0",      "lon is not a number"},
             {"coordinates.lat=nan\ncoordinates.lon=2.25",        "nan, 2.25",      "latitude nan is not a finite"},
             {"coordinates.lat=48.5\ncoordinates.lon=-inf",       "48.5, -inf",     "longitude -inf is not a"},
             {"coordinates.lat=90.000001\ncoordinates.lon=2",     "90.000001, 2.0", "latitude 90.000001 is outside [-90, 90]"},
             {"coordinates.lat=48.5\ncoordinates.lon=-180.5",     "48.5, -180.5",   "longitude -180.5 is outside [-180, 180]"},
             {"coordinates.lat=-90\ncoordinates.lon=+180",        "-90.0, 180.0",   nullptr},
         }) { // clang-format on
        SCOPED_TRACE(group);
        ScopedConfigHome home;
        fs::create_directories(home.folder());
        const std::string text = std::string("[AeroluneSaverPrefs]\n") + group + "\n";
        std::ofstream(home.storeFile()) << text;
        ScopedLogRecorder log;
        EXPECT_EQ(Prefs::coordinates().has_value(), reason == nullptr);
        EXPECT_EQ(log.lines().at(0), std::string("[vemo] Prefs. coordinates: ") + logged);
        EXPECT_EQ(log.lines().size(), reason ? 2u : 1u);
        EXPECT_THAT(log.lines().back(),
                    ::testing::StartsWith(reason ? "[vemo] Prefs. ignoring the stored location: "
                                                 : "[vemo] Prefs. coordinates: "));
        EXPECT_THAT(log.lines().back(), HasSubstr(reason ? reason : logged));
        EXPECT_EQ(fileText(home.storeFile()), text);
    }
}

TEST(PrefsTest, RefusedWritesSayWhyAndLeaveTheStoreAsItWas) {
    ScopedConfigHome home;
    ASSERT_FALSE(Prefs::setCoordinates({48.5, 2.25}));
    for (const auto bad : {CLLocationCoordinate2D{91, 2}, {48, -180.5}, {NAN, 2}, {48, INFINITY}}) {
        ScopedLogRecorder log;
        const auto failure = Prefs::setCoordinates(bad);
        EXPECT_EQ(log.lines().back(), "[vemo] Prefs. set coords failed: " + failure.value_or(""));
        EXPECT_EQ(Prefs::coordinates(), (CLLocationCoordinate2D{48.5, 2.25})) << describe(bad);
    }
    EXPECT_EQ(Prefs::setCoordinates({91, 2}), "latitude 91.0 is outside [-90, 90]");
    fs::remove_all(home.folder());
    std::ofstream(home.folder()) << "x";
    EXPECT_THAT(Prefs::setCoordinates({10, 10}).value_or(""), HasSubstr("Not a directory"));
}

TEST(PrefsTest, WithoutAFolderReadsAreNoLocationAndWritesFail) {
    ScopedConfigHome home;
    ScopedEnvironmentVariable xdg("XDG_CONFIG_HOME", nullptr), user("HOME", nullptr);
    Prefs::resetForTesting();
    ScopedLogRecorder log;
    EXPECT_FALSE(Prefs::coordinates());
    EXPECT_FALSE(Prefs::coordinates());
    EXPECT_THAT(log.lines(), ElementsAre(HasSubstr("[vemo] Prefs. no settings folder: "),
                                         "[vemo] Prefs. coordinates: -420.0, -420.0",
                                         "[vemo] Prefs. coordinates: -420.0, -420.0"));
    EXPECT_THAT(Prefs::setCoordinates({48.5, 2.25}).value_or(""), HasSubstr("no settings folder"));
    // The suite is made once; only a reset finds a folder that appears later.
    ScopedEnvironmentVariable again("XDG_CONFIG_HOME", home.root().c_str());
    EXPECT_FALSE(Prefs::storeFile());
    Prefs::resetForTesting();
    EXPECT_EQ(Prefs::storeFile(), home.storeFile());
}
