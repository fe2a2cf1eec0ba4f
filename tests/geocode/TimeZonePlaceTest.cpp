#include "geocode/TimeZonePlace.h"

#include "support/TemporaryFolder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <tuple>

using namespace aerolune;
namespace fs = std::filesystem;

namespace {

// A zone folder of a test's own: two tables, a few zone files and an old name
// linked to its new one, as Debian's tzdata lays them out.
class TimeZonePlaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* area : {"Europe", "Asia", "America", "Etc"})
            fs::create_directories(zones / area);
        std::ofstream(zones / "zone1970.tab")
            << "# comment\nFR,MC\t+4852+00220\tEurope/Paris\n"
            << "IN\t+2232+08822\tAsia/Kolkata\nTT\t-1039-06131\tAmerica/Port_of_Spain\n"
            << "US\t+404251-0740023\tAmerica/New_York\tEastern (most areas)\n"
            << "DE,DK,NO,SE,SJ\t+5230+01322\tEurope/Berlin\tmost of Germany\n";
        std::ofstream(zones / "zone.tab") << "NO\t+5955+01045\tEurope/Oslo\n"
                                          << "DE\t+5230+01322\tEurope/Berlin\n";
        for (const char* zone : {"Europe/Paris", "Europe/Oslo", "Asia/Kolkata", "America/New_York",
                                 "America/Port_of_Spain", "UTC", "Etc/UTC", "EST5EDT"})
            std::ofstream(zones / zone) << "TZif";
        fs::create_symlink("Kolkata", zones / "Asia/Calcutta");
        sources.zoneFolder = zones;
        sources.localtime = root / "localtime";
        sources.timezoneFile = root / "timezone";
    }

    // The zone found, its city and coordinates.
    std::optional<std::tuple<std::string, std::string, double, double>> found() const {
        if (const auto p = TimeZonePlace::find(sources))
            return std::tuple(p->zone(), p->cityName(), p->coordinate().latitude,
                              p->coordinate().longitude);
        return std::nullopt;
    }

    test::TemporaryFolder folder{"aerolune-zones"};
    fs::path root = folder.path(), zones = root / "zoneinfo";
    TimeZonePlace::Sources sources;
};

} // namespace

TEST_F(TimeZonePlaceTest, EachWayOfNamingTheZoneAndEachZoneWithoutAPlace) {
    const auto at = [](const char* zone, const char* city, double lat, double lon) {
        return std::optional(std::tuple(std::string(zone), std::string(city), lat, lon));
    };
    const auto paris = at("Europe/Paris", "Paris", 48 + 52 / 60.0, 2 + 20 / 60.0),
               york = at("America/New_York", "New York", 40 + 42 / 60.0 + 51 / 3600.0,
                         -(74 + 23 / 3600.0));
    // $TZ names the zone, with or without a colon, or as a path; from zone.tab,
    // by an old name, south (here) and west.
    // clang-format off
    for (const auto& [tz, expected] : {
             std::pair{std::string("Europe/Paris"), paris}, {":Europe/Paris", paris}, {(zones / "Europe/Paris").string(), paris},
             {":" + (zones / "posix/Europe/Paris").string(), paris}, {"America/New_York", york},
             {"Europe/Oslo", at("Europe/Oslo", "Oslo", 59 + 55 / 60.0, 10 + 45 / 60.0)},
             {"Asia/Calcutta", at("Asia/Kolkata", "Kolkata", 22 + 32 / 60.0, 88 + 22 / 60.0)},
             {"America/Port_of_Spain", at("America/Port_of_Spain", "Port of Spain", -(10 + 39 / 60.0), -(61 + 31 / 60.0))}}) { // clang-format on
        sources.tzVariable = tz;
        EXPECT_EQ(found(), expected) << tz;
    }
    for (const char* none : {"UTC", "Etc/UTC", "EST5EDT", "Mars/Olympus", "../zoneinfo/UTC"}) {
        sources.tzVariable = none;
        EXPECT_EQ(found(), std::nullopt) << none;
    }
    for (const char* bad : {"", "4852+00220", "+48+002", "+4860+00220", "+4852+0022", "+9100+00000",
                            "+4852+18100", "+48a2+00220", "+4852"})
        EXPECT_FALSE(TimeZonePlace::parseCoordinates(bad)) << bad; // not an ISO 6709 pair on Earth

    // A rule names no zone: the system's zone counts, as a link...
    sources.tzVariable = "<+02>-2";
    fs::create_symlink("zoneinfo/right/America/New_York", sources.localtime);
    EXPECT_EQ(found(), york);
    sources.tzVariable.reset();
    EXPECT_EQ(found(), york);
    fs::remove(sources.localtime);
    fs::create_symlink(zones / "Etc/UTC", sources.localtime);
    std::ofstream(sources.timezoneFile) << "Europe/Paris\n";
    EXPECT_EQ(found(), std::nullopt) << "the link says UTC, whatever /etc/timezone says";
    // ...or, where /etc/localtime is a copy, as /etc/timezone names it.
    fs::remove(sources.localtime);
    std::ofstream(sources.localtime) << "TZif";
    EXPECT_EQ(found(), paris);
    std::ofstream(sources.timezoneFile) << "Mars/Olympus\n";
    EXPECT_EQ(found(), std::nullopt);
    fs::remove(sources.timezoneFile);
    EXPECT_EQ(found(), std::nullopt);
}
