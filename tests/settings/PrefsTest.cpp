#include "settings/Prefs.h"

#include "platform/Random.h"
#include "support/ScopedConfigHome.h"
#include "support/ScopedEnvironment.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>

using namespace aerolune;
using aerolune::test::ScopedConfigHome;
using aerolune::test::ScopedEnvironmentVariable;
using aerolune::test::ScopedLogRecorder;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

namespace {

std::string contents(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

TEST(PrefsTest, AFreshStoreHasNoLocation) {
    ScopedConfigHome home;
    ScopedLogRecorder log;
    EXPECT_FALSE(Prefs::coordinates());
    EXPECT_THAT(log.lines(), ElementsAre("[vemo] Prefs. coordinates: 0.0, 0.0"));
    EXPECT_EQ(Prefs::storeFile(), home.storeFile());
    EXPECT_FALSE(fs::exists(home.storeFile())) << "reading never writes";
}

TEST(PrefsTest, StoredPlacesComeBackBitForBit) {
    ScopedConfigHome home;
    {
        SCOPED_TRACE("the stored text and the log lines");
        ScopedLogRecorder log;
        EXPECT_FALSE(Prefs::setCoordinates({48.5, 2.25}));
        EXPECT_EQ(Prefs::coordinates(), (CLLocationCoordinate2D{48.5, 2.25}));
        EXPECT_THAT(log.lines(),
                    ElementsAre("[vemo] Prefs. set coords CLLocationCoordinate2D(latitude: 48.5, "
                                "longitude: 2.25)",
                                "[vemo] Prefs. coordinates: 48.5, 2.25"));
        EXPECT_EQ(contents(home.storeFile()),
                  "[AeroluneSaverPrefs]\ncoordinates.lat=48.5\ncoordinates.lon=2.25\n");
    }
    Random random(7);
    std::vector<CLLocationCoordinate2D> places{
        {-33.5, 18.5}, {90, -180}, {-90, 180}, {0.1 + 0.2, 1.0 / 3.0}, {5e-324, -1e-300}};
    for (int i = 0; i < 200; ++i)
        places.push_back({random.uniform(-90, 90), random.uniform(-180, 180)});
    for (const auto& place : places) {
        SCOPED_TRACE(describe(place));
        ASSERT_FALSE(Prefs::setCoordinates(place));
        const auto read = Prefs::coordinates();
        ASSERT_TRUE(read);
        EXPECT_TRUE(sameBits(read->latitude, place.latitude));
        EXPECT_TRUE(sameBits(read->longitude, place.longitude));
    }
}

TEST(PrefsTest, ZeroOnEitherAxisIsNoLocation) {
    ScopedConfigHome home;
    for (const CLLocationCoordinate2D place :
         {CLLocationCoordinate2D{0.0, 10.0}, {10.0, 0.0}, {-0.0, 10.0}, {0.0, 0.0}}) {
        SCOPED_TRACE(describe(place));
        ScopedLogRecorder log;
        EXPECT_FALSE(Prefs::setCoordinates(place));
        EXPECT_FALSE(Prefs::coordinates());
        EXPECT_EQ(log.lines().size(), 2u) << "no reason is logged for the zero rule";
    }
    ASSERT_FALSE(Prefs::setCoordinates({1e-300, 10.0}));
    EXPECT_TRUE(Prefs::coordinates());
}

TEST(PrefsTest, DamagedStoresReadAsNoLocationSayWhyAndAreLeftAlone) {
    struct Case {
        const char* text;
        const char* loggedValues;
        const char* reason;
    };
    for (const Case& c : {
             Case{"lat=48.5\n", "0.0, 0.0", "line 1 is not"},
             Case{"[AeroluneSaverPrefs]\ncoordinates.lat=abc\ncoordinates.lon=2.25\n", "0.0, 2.25",
                  "coordinates.lat is not a number: \"abc\""},
             Case{"[AeroluneSaverPrefs]\ncoordinates.lat=48.5\ncoordinates.lon=\n", "48.5, 0.0",
                  "coordinates.lon is not a number"},
             Case{"[AeroluneSaverPrefs]\ncoordinates.lat=nan\ncoordinates.lon=2.25\n", "nan, 2.25",
                  "latitude nan is not a finite number"},
             Case{"[AeroluneSaverPrefs]\ncoordinates.lat=48.5\ncoordinates.lon=-inf\n",
                  "48.5, -inf", "longitude -inf is not a finite number"},
             Case{"[AeroluneSaverPrefs]\ncoordinates.lat=90.000001\ncoordinates.lon=2\n",
                  "90.000001, 2.0", "latitude 90.000001 is outside [-90, 90]"},
             Case{"[AeroluneSaverPrefs]\ncoordinates.lat=48.5\ncoordinates.lon=-180.5\n",
                  "48.5, -180.5", "longitude -180.5 is outside [-180, 180]"},
         }) {
        SCOPED_TRACE(c.text);
        ScopedConfigHome home;
        fs::create_directories(home.folder());
        std::ofstream(home.storeFile()) << c.text;
        ScopedLogRecorder log;
        EXPECT_FALSE(Prefs::coordinates());
        ASSERT_EQ(log.lines().size(), 2u);
        EXPECT_EQ(log.lines()[0], std::string("[vemo] Prefs. coordinates: ") + c.loggedValues);
        EXPECT_THAT(log.lines()[1], HasSubstr("[vemo] Prefs. ignoring the stored location: "));
        EXPECT_THAT(log.lines()[1], HasSubstr(c.reason));
        EXPECT_EQ(contents(home.storeFile()), c.text);
        EXPECT_FALSE(Prefs::setCoordinates({48.5, 2.25}));
        EXPECT_EQ(Prefs::coordinates(), (CLLocationCoordinate2D{48.5, 2.25}));
    }
    {
        SCOPED_TRACE("the limits themselves and a leading plus sign are places");
        ScopedConfigHome home;
        fs::create_directories(home.folder());
        std::ofstream(home.storeFile())
            << "[AeroluneSaverPrefs]\ncoordinates.lat=-90\ncoordinates.lon=+180\n";
        EXPECT_EQ(Prefs::coordinates(), (CLLocationCoordinate2D{-90, 180}));
    }
}

TEST(PrefsTest, RefusedWritesSayWhyAndLeaveTheStoreAsItWas) {
    ScopedConfigHome home;
    ASSERT_FALSE(Prefs::setCoordinates({48.5, 2.25}));
    for (const CLLocationCoordinate2D bad :
         {CLLocationCoordinate2D{91, 2}, {-91, 2}, {48, 180.5}, {NAN, 2}, {48, -INFINITY}}) {
        SCOPED_TRACE(describe(bad));
        ScopedLogRecorder log;
        const auto failure = Prefs::setCoordinates(bad);
        ASSERT_TRUE(failure);
        EXPECT_THAT(log.lines().back(), HasSubstr("[vemo] Prefs. set coords failed: " + *failure));
        EXPECT_EQ(Prefs::coordinates(), (CLLocationCoordinate2D{48.5, 2.25}));
    }
    EXPECT_EQ(Prefs::setCoordinates({91, 2}), "latitude 91.0 is outside [-90, 90]");

    // The folder is replaced by a file after the suite was found.
    fs::remove_all(home.folder());
    std::ofstream(home.folder()) << "x";
    const auto failure = Prefs::setCoordinates({10, 10});
    ASSERT_TRUE(failure);
    EXPECT_THAT(*failure, HasSubstr("Not a directory"));
}

TEST(PrefsTest, WithoutAFolderEveryReadIsNoLocationAndEveryWriteFails) {
    ScopedConfigHome home;
    ScopedEnvironmentVariable xdg("XDG_CONFIG_HOME", nullptr);
    ScopedEnvironmentVariable user("HOME", nullptr);
    Prefs::resetForTesting();
    ScopedLogRecorder log;
    EXPECT_FALSE(Prefs::coordinates());
    EXPECT_FALSE(Prefs::coordinates());
    ASSERT_EQ(log.lines().size(), 3u);
    EXPECT_THAT(log.lines()[0], HasSubstr("[vemo] Prefs. no settings folder: "));
    EXPECT_EQ(log.lines()[1], "[vemo] Prefs. coordinates: -420.0, -420.0");
    EXPECT_EQ(log.lines()[2], "[vemo] Prefs. coordinates: -420.0, -420.0");
    const auto failure = Prefs::setCoordinates({48.5, 2.25});
    ASSERT_TRUE(failure);
    EXPECT_THAT(*failure, HasSubstr("no settings folder"));
    EXPECT_FALSE(Prefs::storeFile());

    // The suite is made once: a folder appearing later is not picked up
    // without a reset.
    ScopedEnvironmentVariable again("XDG_CONFIG_HOME", home.root().c_str());
    EXPECT_FALSE(Prefs::storeFile());
    Prefs::resetForTesting();
    EXPECT_EQ(Prefs::storeFile(), home.storeFile());
}
