#include "schedule/DateRules.h"

#include "support/ScopedEnvironment.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace aerolune;
using aerolune::test::at;
using aerolune::test::ScopedTimeZone;

TEST(DateRulesTest, ComparisonsAreExactAndRecentMeansAtMostAnHourAgo) {
    const TimePoint now = at("2024-06-21T12:00:00Z");
    const TimePoint before = std::nextafter(now, 0.0), after = std::nextafter(now, 1e10);
    EXPECT_FALSE(isInTheFuture(now, now) || isPast(now, now));
    EXPECT_TRUE(isNowOrInThePast(now, now) && wasRecent(now, now));
    EXPECT_TRUE(isInTheFuture(after, now) && !isInTheFuture(before, now));
    EXPECT_TRUE(isPast(before, now) && !isPast(after, now));
    EXPECT_TRUE(isNowOrInThePast(before, now) && !isNowOrInThePast(after, now));
    EXPECT_TRUE(wasRecent(now - 3600.0, now));
    EXPECT_FALSE(wasRecent(std::nextafter(now - 3600.0, 0.0), now));
    EXPECT_FALSE(wasRecent(now - 3600.5, now));
    EXPECT_TRUE(wasRecent(now + 36000.0, now));
}

TEST(DateRulesTest, JustAfterMidnightIsTheFirstMomentOfTheNextLocalDay) {
    struct Case {
        const char *zone, *moment, *expected;
    };
    for (const Case& c : {
             Case{"<+02>-2", "2024-06-21T23:59:59+02:00", "2024-06-22T00:00:00+02:00"},
             Case{"<+02>-2", "2024-06-21T00:00:00+02:00", "2024-06-22T00:00:00+02:00"},
             Case{"Europe/Paris", "2024-03-30T23:30:00+01:00", "2024-03-31T00:00:00+01:00"},
             Case{"America/New_York", "2024-11-03T00:00:00-04:00", "2024-11-04T00:00:00-05:00"},
             // Midnight is skipped in Havana: the day starts at 01:00.
             Case{"America/Havana", "2024-03-09T00:30:00-05:00", "2024-03-10T01:00:00-04:00"},
             Case{"Australia/Sydney", "2024-10-06T12:00:00+11:00", "2024-10-07T00:00:00+11:00"},
             Case{"UTC", "2024-06-21T23:00:00Z", "2024-06-22T00:00:00Z"},
             Case{"Europe/Paris", "2024-06-21T23:00:00Z", "2024-06-23T00:00:00+02:00"},
         }) {
        SCOPED_TRACE(std::string(c.zone) + " " + c.moment);
        ScopedTimeZone zone(c.zone);
        EXPECT_EQ(justAfterMidnight(at(c.moment)), at(c.expected));
    }
    EXPECT_FALSE(justAfterMidnight(NAN));
    EXPECT_FALSE(justAfterMidnight(1e300));
}
