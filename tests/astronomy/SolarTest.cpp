#include "astronomy/Solar.h"

#include "astronomy/Trigonometry.h"
#include "platform/core/Calendar.h"
#include "support/ReferenceSunrise.h"
#include "support/ScopedEnvironment.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <iterator>
#include <utility>

using namespace aerolune;
using aerolune::test::at;
using aerolune::test::ScopedTimeZone;

namespace {

const auto startOf = [](LocalDate date) { return Calendar::startOfDay(date).value(); };
const auto plusDays = [](LocalDate date, int days) {
    return Calendar::fromJulianDayNumber(Calendar::julianDayNumber(date) + days);
};

} // namespace

TEST(SolarTest, EveryMomentOfADayGivesItsStatedPublishedOrFixedOffsetTimes) {
    // The equation's own values to the second; almanac times to the minute, met
    // within a minute and a half (the equation ignores height and local
    // refraction); days on which the offset changes, which keep the times of a
    // fixed zone at the offset they begin with; and zones a day away from the
    // place's own sun, against an independent writing of the equation.
    // clang-format off
    struct Case { const char* zone; LocalDate date; CLLocationCoordinate2D place; const char *sunrise, *sunset, *fixedZone; double tolerance; };
    for (const Case& c : {
             Case{"<+02>-2", {2024, 6, 21}, {48.5, 2.5}, "2024-06-21T03:48:15Z", "2024-06-21T19:55:36Z", {}, 0.5},
             Case{"<+01>-1", {2024, 12, 21}, {48.5, 2.5}, "2024-12-21T07:39:37Z", "2024-12-21T15:57:18Z", {}, 0.5},
             Case{"America/New_York", {2024, 6, 21}, {40.5, -74.0}, "2024-06-21T09:25:50Z", "2024-06-22T00:29:59Z", {}, 0.5},
             Case{"UTC", {2024, 3, 20}, {0.5, 0.5}, "2024-03-20T06:01:55Z", "2024-03-20T18:08:34Z", {}, 0.5},
             Case{"Europe/Paris", {2024, 6, 21}, {48.857, 2.352}, "2024-06-21T05:47+02:00", "2024-06-21T21:58+02:00", {}, 90},
             Case{"America/New_York", {2024, 12, 21}, {40.713, -74.006}, "2024-12-21T07:17-05:00", "2024-12-21T16:32-05:00", {}, 90},
             Case{"Australia/Sydney", {2024, 6, 21}, {-33.869, 151.209}, "2024-06-21T07:00+10:00", "2024-06-21T16:54+10:00", {}, 90},
             // The sun sets after local midnight, on the next calendar day.
             Case{"Atlantic/Reykjavik", {2024, 6, 21}, {64.147, -21.943}, "2024-06-21T02:55Z", "2024-06-22T00:03Z", {}, 90},
             Case{"Europe/Paris", {2024, 3, 31}, {48.85, 2.35}, {}, {}, "<+01>-1", 0},
             Case{"America/New_York", {2024, 11, 3}, {40.7, -74.0}, {}, {}, "<-04>4", 0},
             Case{"America/Havana", {2024, 3, 10}, {23.1, -82.4}, {}, {}, "<-05>5", 0}, // no midnight
             Case{"Australia/Sydney", {2024, 4, 7}, {-33.9, 151.2}, {}, {}, "<+11>-11", 0},
             Case{"Australia/Sydney", {2024, 10, 6}, {-33.9, 151.2}, {}, {}, "<+10>-10", 0},
             Case{"Pacific/Kiritimati", {2024, 6, 21}, {1.87, -157.4}, {}, {}, {}, 0.01}, // UTC+14
             Case{"Pacific/Tongatapu", {2024, 1, 15}, {-21.1, -175.2}, {}, {}, {}, 0.01}, // UTC+13
             Case{"Australia/Lord_Howe", {2024, 4, 7}, {-31.55, 159.08}, {}, {}, {}, 0.01}, // half an hour
         }) { // clang-format on
        SCOPED_TRACE(std::string(c.zone) + " " + std::to_string(c.date.month));
        std::optional<Solar> fixed;
        if (c.fixedZone) {
            ScopedTimeZone zone(c.fixedZone);
            fixed.emplace(startOf(c.date), c.place);
        }
        ScopedTimeZone zone(c.zone);
        const TimePoint first = startOf(c.date), last = startOf(plusDays(c.date, 1)) - 1;
        const auto reference =
            test::referenceSunriseEquation(first, c.place.latitude, c.place.longitude);
        const TimePoint sunrise = fixed       ? *fixed->sunrise()
                                  : c.sunrise ? at(c.sunrise)
                                              : *reference.sunrise;
        const TimePoint sunset = fixed      ? *fixed->sunset()
                                 : c.sunset ? at(c.sunset)
                                            : *reference.sunset;
        for (TimePoint t = first;; t = std::min(t + 1800, last)) {
            const Solar solar(t, c.place);
            ASSERT_NEAR(solar.sunrise().value(), sunrise, c.tolerance) << formatUtc(t);
            ASSERT_NEAR(solar.sunset().value(), sunset, c.tolerance) << formatUtc(t);
            if (t == last)
                break;
        }
        for (const TimePoint t : {first - 1, last + 1})
            EXPECT_GT(std::abs(*Solar(t, c.place).sunrise() - sunrise), 3600) << "another day";
    }
}

TEST(SolarTest, PolarDayAndNightBeginAndEndNearTheAlmanacsDaysAndNeverYieldAMoment) {
    using Polar = Solar::PolarCondition;
    ScopedTimeZone zone("Europe/Oslo");
    // Almanac dates for Tromsø count the sun's centre on a true horizon; with
    // refraction and the sun's upper limb (-0.83 degrees) it shows a little
    // longer, so each edge of 2024 lies within three days of theirs.
    // clang-format off
    const std::pair<LocalDate, Polar> almanac[] = {{{2024, 1, 18}, Polar::none}, {{2024, 5, 20}, Polar::sunNeverSets},
                                                   {{2024, 7, 23}, Polar::none}, {{2024, 11, 25}, Polar::sunNeverRises}}; // clang-format on
    std::vector<std::pair<LocalDate, Polar>> edges;
    for (LocalDate date{2024, 1, 1}; date.year == 2024; date = plusDays(date, 1)) {
        const Solar solar(startOf(date) + 43200, {69.649, 18.955});
        const Polar polar = solar.polarCondition();
        SCOPED_TRACE(formatUtc(startOf(date)));
        // A day has a sunrise before its sunset, or neither.
        ASSERT_EQ(polar == Polar::none, solar.sunrise() && solar.sunset());
        ASSERT_TRUE(polar != Polar::none || *solar.sunrise() < *solar.sunset()) << "not NaN";
        ASSERT_TRUE(polar == Polar::none || solar.isDaytime() == (polar == Polar::sunNeverSets));
        if (polar != (edges.empty() ? Polar::sunNeverRises : edges.back().second))
            edges.push_back({date, polar});
    }
    ASSERT_EQ(edges.size(), std::size(almanac));
    for (std::size_t i = 0; i < edges.size(); ++i)
        EXPECT_TRUE(edges[i].second == almanac[i].second &&
                    std::abs(Calendar::julianDayNumber(edges[i].first) -
                             Calendar::julianDayNumber(almanac[i].first)) <= 3)
            << "edge " << i << " on " << edges[i].first.month << "-" << edges[i].first.day;
}

// The sunrise times above hold to half a second whatever the last digits of
// a degree in radians: only this sees them. (The Julian days are seen there.)
TEST(TrigonometryTest, WorksInDegreesWithoutClamping) {
    EXPECT_TRUE(Trigonometry::sin(90) == 1.0 && Trigonometry::acos(-1) == 180.0);
    EXPECT_TRUE(std::isnan(Trigonometry::acos(1.5)) && std::isnan(Trigonometry::asin(-1.0000001)));
}
