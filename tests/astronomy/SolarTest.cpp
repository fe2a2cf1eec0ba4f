#include "astronomy/Solar.h"

#include "platform/Calendar.h"
#include "platform/Random.h"
#include "support/ReferenceSunrise.h"
#include "support/ScopedEnvironment.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace aerolune;
using aerolune::test::ScopedTimeZone;

namespace {

TimePoint at(const char* iso) {
    return parseIso8601(iso).value();
}

std::string utc(const std::optional<TimePoint>& t) {
    return t ? formatUtc(*t) : "none";
}

struct Expected {
    const char* sunrise;
    const char* sunset;
};

void expectDay(const Solar& solar, Expected expected) {
    EXPECT_EQ(utc(solar.sunrise()), expected.sunrise);
    EXPECT_EQ(utc(solar.sunset()), expected.sunset);
}

TimePoint startOf(int year, int month, int day) {
    return Calendar::startOfDay(LocalDate{year, month, day}).value();
}

} // namespace

TEST(SolarTest, KnownDaysToTheSecondInFixedAndRealZones) {
    struct Case {
        const char* zone;
        LocalDate date;
        CLLocationCoordinate2D place;
        Expected expected;
    };
    const CLLocationCoordinate2D paris{48.5, 2.5}, newYork{40.5, -74.0}, gulf{0.5, 0.5};
    const Expected parisJune{"2024-06-21T03:48:15Z", "2024-06-21T19:55:36Z"};
    const Expected parisDecember{"2024-12-21T07:39:37Z", "2024-12-21T15:57:18Z"};
    const Expected newYorkJune{"2024-06-21T09:25:50Z", "2024-06-22T00:29:59Z"};
    for (const Case& c : {
             Case{"<+02>-2", {2024, 6, 21}, paris, parisJune},
             Case{"Europe/Paris", {2024, 6, 21}, paris, parisJune},
             Case{"<+01>-1", {2024, 12, 21}, paris, parisDecember},
             Case{"Europe/Paris", {2024, 12, 21}, paris, parisDecember},
             Case{"<-04>4", {2024, 6, 21}, newYork, newYorkJune},
             Case{"America/New_York", {2024, 6, 21}, newYork, newYorkJune},
             Case{"UTC", {2024, 3, 20}, gulf, {"2024-03-20T06:01:55Z", "2024-03-20T18:08:34Z"}},
         }) {
        SCOPED_TRACE(c.zone);
        ScopedTimeZone zone(c.zone);
        const TimePoint first = startOf(c.date.year, c.date.month, c.date.day);
        for (const TimePoint t : {first, first + 1, first + 43200, first + 86399}) {
            SCOPED_TRACE(formatUtc(t));
            expectDay(Solar(t, c.place), c.expected);
        }
        EXPECT_NE(utc(Solar(first - 1, c.place).sunrise()), c.expected.sunrise);
        EXPECT_NE(utc(Solar(first + 86400, c.place).sunrise()), c.expected.sunrise);
    }
    ScopedTimeZone zone("<+02>-2");
    EXPECT_TRUE(Solar(at("2024-06-21T12:00:00+02:00"), paris).isDaytime());
    EXPECT_FALSE(Solar(at("2024-06-21T23:00:00+02:00"), paris).isDaytime());
}

TEST(SolarTest, EveryMomentOfAChangeDayGivesTheSameCorrectDay) {
    // On a change day the whole day uses the offset its first moment has, so
    // the result is the one a fixed zone at that offset gives.
    struct Case {
        const char* zone;
        const char* fixedZone;
        LocalDate date;
        CLLocationCoordinate2D place;
    };
    for (const Case& c : {
             Case{"Europe/Paris", "<+01>-1", {2024, 3, 31}, {48.85, 2.35}},
             Case{"Europe/Paris", "<+02>-2", {2024, 10, 27}, {48.85, 2.35}},
             Case{"America/New_York", "<-05>5", {2024, 3, 10}, {40.7, -74.0}},
             Case{"America/New_York", "<-04>4", {2024, 11, 3}, {40.7, -74.0}},
             Case{"America/Havana", "<-05>5", {2024, 3, 10}, {23.1, -82.4}},
             Case{"Australia/Sydney", "<+11>-11", {2024, 4, 7}, {-33.9, 151.2}},
             Case{"Australia/Sydney", "<+10>-10", {2024, 10, 6}, {-33.9, 151.2}},
         }) {
        SCOPED_TRACE(std::string(c.zone) + " " + std::to_string(c.date.month) + "/" +
                     std::to_string(c.date.day));
        std::optional<TimePoint> sunrise, sunset;
        {
            ScopedTimeZone fixed(c.fixedZone);
            const Solar reference(startOf(c.date.year, c.date.month, c.date.day), c.place);
            sunrise = reference.sunrise();
            sunset = reference.sunset();
        }
        ASSERT_TRUE(sunrise && sunset);
        ScopedTimeZone zone(c.zone);
        const TimePoint first = startOf(c.date.year, c.date.month, c.date.day);
        const TimePoint last = startOf(c.date.year, c.date.month, c.date.day + 1) - 1;
        for (TimePoint t = first; t <= last; t += 900) {
            const Solar solar(t, c.place);
            ASSERT_EQ(solar.sunrise(), sunrise) << formatUtc(t);
            ASSERT_EQ(solar.sunset(), sunset) << formatUtc(t);
        }
        EXPECT_EQ(Solar(last, c.place).sunrise(), sunrise);
        EXPECT_EQ(Calendar::localDate(*sunrise), c.date);
        EXPECT_EQ(Calendar::localDate(*sunset), c.date);
    }
}

TEST(SolarTest, ZonesFarFromThePlacesSolarTimeKeepTheRequestedDay) {
    struct Case {
        const char* zone;
        CLLocationCoordinate2D place;
    };
    for (const Case& c : {Case{"Pacific/Kiritimati", {1.87, -157.4}}, // UTC+14
                          Case{"Pacific/Tongatapu", {-21.1, -175.2}}, // UTC+13
                          Case{"<-12>12", {10.0, 175.0}}, Case{"Europe/Paris", {48.85, 170.0}}}) {
        SCOPED_TRACE(c.zone);
        ScopedTimeZone zone(c.zone);
        const LocalDate day{2024, 6, 21};
        const Solar solar(startOf(2024, 6, 21) + 43200, c.place);
        ASSERT_TRUE(solar.sunrise() && solar.sunset());
        // Mean solar noon lies on the requested day, and the sun is up at its
        // midpoint between sunrise and sunset.
        const TimePoint noon = (*solar.sunrise() + *solar.sunset()) / 2;
        EXPECT_EQ(Calendar::localDate(noon), day);
        EXPECT_TRUE(Solar(noon, c.place).isDaytime());
        EXPECT_LT(*solar.sunset() - *solar.sunrise(), 86400);
    }
}

TEST(SolarTest, PolarDayAndNightAreToldApartWithoutMoments) {
    ScopedTimeZone zone("UTC");
    {
        SCOPED_TRACE("Svalbard at midsummer: the sun never sets");
        const Solar solar(at("2024-06-21T12:00:00Z"), {78.5, 15.5});
        EXPECT_EQ(solar.polarCondition(), Solar::PolarCondition::sunNeverSets);
        EXPECT_FALSE(solar.sunrise());
        EXPECT_FALSE(solar.sunset());
        EXPECT_TRUE(solar.isDaytime());
    }
    {
        SCOPED_TRACE("Tromsø at midwinter: the sun never rises");
        const Solar solar(at("2024-12-21T12:00:00Z"), {69.5, 19.0});
        EXPECT_EQ(solar.polarCondition(), Solar::PolarCondition::sunNeverRises);
        EXPECT_FALSE(solar.sunrise());
        EXPECT_FALSE(solar.sunset());
        EXPECT_FALSE(solar.isDaytime());
    }
    {
        SCOPED_TRACE("the same places on ordinary days");
        EXPECT_EQ(Solar(at("2024-03-20T12:00:00Z"), {78.5, 15.5}).polarCondition(),
                  Solar::PolarCondition::none);
        EXPECT_TRUE(Solar(at("2024-03-20T12:00:00Z"), {69.5, 19.0}).sunrise());
    }
    {
        SCOPED_TRACE("a place that is not a number yields nothing");
        const Solar solar(at("2024-03-20T12:00:00Z"), {std::nan(""), 2.0});
        EXPECT_EQ(solar.polarCondition(), Solar::PolarCondition::none);
        EXPECT_FALSE(solar.sunrise());
        EXPECT_FALSE(solar.isDaytime());
        EXPECT_FALSE(Solar(at("2024-03-20T12:00:00Z"), {2.0, INFINITY}).sunset());
    }
}

TEST(SolarTest, DaytimeIncludesSunriseAndExcludesSunset) {
    ScopedTimeZone zone("Europe/Paris");
    const CLLocationCoordinate2D place{48.5, 2.5};
    const Solar day(at("2024-06-21T12:00:00+02:00"), place);
    const TimePoint sunrise = *day.sunrise(), sunset = *day.sunset();
    EXPECT_FALSE(Solar(std::nextafter(sunrise, 0.0), place).isDaytime());
    EXPECT_TRUE(Solar(sunrise, place).isDaytime());
    EXPECT_TRUE(Solar(std::nextafter(sunset, 0.0), place).isDaytime());
    EXPECT_FALSE(Solar(sunset, place).isDaytime());
}

namespace {

std::vector<std::string> systemZones() {
    namespace fs = std::filesystem;
    const fs::path root = "/usr/share/zoneinfo";
    std::vector<std::string> zones;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        const std::string name = fs::relative(it->path(), root).string();
        // posix/ repeats the database; right/ counts leap seconds, which
        // moments since the epoch do not.
        if (it->is_directory() && (name == "posix" || name == "right")) {
            it.disable_recursion_pending();
            continue;
        }
        char magic[4] = {};
        if (it->is_regular_file() && std::ifstream(it->path()).read(magic, 4) &&
            std::string(magic, 4) == "TZif")
            zones.push_back(name);
    }
    std::sort(zones.begin(), zones.end());
    return zones;
}

} // namespace

TEST(SolarTest, AgreesWithTheSunriseEquationAnywhereOutsideThePolarCircles) {
    const auto zones = systemZones();
    ASSERT_GT(zones.size(), 300u);
    Random random(20240621);
    for (int i = 0; i < 3000; ++i) {
        const std::string& zoneName = zones[random.below(zones.size())];
        const TimePoint moment = random.uniform(0, at("2100-12-31T23:59:59Z"));
        const CLLocationCoordinate2D place{random.uniform(-65, 65), random.uniform(-180, 180)};
        ScopedTimeZone zone(zoneName.c_str());
        const Solar solar(moment, place);
        const auto expected =
            test::referenceSunriseEquation(moment, place.latitude, place.longitude);
        const std::string trace = zoneName + " " + formatUtc(moment) + " at " +
                                  shortestDecimal(place.latitude) + ", " +
                                  shortestDecimal(place.longitude);
        ASSERT_TRUE(solar.sunrise() && solar.sunset() && expected.sunrise) << trace;
        ASSERT_NEAR(*solar.sunrise(), *expected.sunrise, 0.01) << trace;
        ASSERT_NEAR(*solar.sunset(), *expected.sunset, 0.01) << trace;
    }
}
