#include "schedule/DateRules.h"

#include "support/ScopedEnvironment.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace aerolune;
using aerolune::test::ScopedTimeZone;

namespace {
TimePoint at(const char* iso) {
    return parseIso8601(iso).value();
}
} // namespace

TEST(DateRulesTest, ComparisonsAreExactOnBothSides) {
    const TimePoint now = at("2024-06-21T12:00:00Z");
    const TimePoint before = std::nextafter(now, 0.0), after = std::nextafter(now, 1e10);
    EXPECT_FALSE(isInTheFuture(now, now));
    EXPECT_FALSE(isPast(now, now));
    EXPECT_TRUE(isNowOrInThePast(now, now));
    EXPECT_TRUE(wasRecent(now, now));
    EXPECT_TRUE(isInTheFuture(after, now));
    EXPECT_FALSE(isInTheFuture(before, now));
    EXPECT_TRUE(isPast(before, now));
    EXPECT_FALSE(isPast(after, now));
    EXPECT_TRUE(isNowOrInThePast(before, now));
    EXPECT_FALSE(isNowOrInThePast(after, now));
}

TEST(DateRulesTest, RecentMeansAtMostAnHourAgoOrLater) {
    const TimePoint now = at("2024-06-21T12:00:00Z");
    EXPECT_TRUE(wasRecent(now - 3600.0, now));
    EXPECT_FALSE(wasRecent(now - 3600.5, now));
    EXPECT_FALSE(wasRecent(std::nextafter(now - 3600.0, 0.0), now));
    EXPECT_TRUE(wasRecent(now + 36000.0, now));
}

TEST(DateRulesTest, JustAfterMidnightIsTheFirstMomentOfTheNextLocalDay) {
    {
        SCOPED_TRACE("fixed zone, both ends of a day");
        ScopedTimeZone zone("<+02>-2");
        EXPECT_EQ(justAfterMidnight(at("2024-06-21T23:59:59+02:00")),
                  at("2024-06-22T00:00:00+02:00"));
        EXPECT_EQ(justAfterMidnight(at("2024-06-21T00:00:00+02:00")),
                  at("2024-06-22T00:00:00+02:00"));
        EXPECT_EQ(justAfterMidnight(at("2024-06-21T23:59:59+02:00") + 0.999),
                  at("2024-06-22T00:00:00+02:00"));
    }
    struct Case {
        const char* zone;
        const char* moment;
        const char* expected;
    };
    for (const Case& c : {
             Case{"Europe/Paris", "2024-03-30T23:30:00+01:00", "2024-03-31T00:00:00+01:00"},
             Case{"Europe/Paris", "2024-03-31T12:00:00+02:00", "2024-04-01T00:00:00+02:00"},
             Case{"America/New_York", "2024-11-03T00:00:00-04:00", "2024-11-04T00:00:00-05:00"},
             // Midnight is skipped in Havana: the day starts at 01:00.
             Case{"America/Havana", "2024-03-09T23:30:00-05:00", "2024-03-10T01:00:00-04:00"},
             Case{"America/Havana", "2024-03-09T00:30:00-05:00", "2024-03-10T01:00:00-04:00"},
             Case{"Australia/Sydney", "2024-04-06T12:00:00+11:00", "2024-04-07T00:00:00+11:00"},
             Case{"Australia/Sydney", "2024-10-06T12:00:00+11:00", "2024-10-07T00:00:00+11:00"},
         }) {
        SCOPED_TRACE(std::string(c.zone) + " " + c.moment);
        ScopedTimeZone zone(c.zone);
        EXPECT_EQ(justAfterMidnight(at(c.moment)), at(c.expected));
    }
    const TimePoint moment = at("2024-06-21T23:00:00Z");
    std::optional<TimePoint> inUtc, inParis;
    {
        ScopedTimeZone zone("UTC");
        inUtc = justAfterMidnight(moment);
    }
    {
        ScopedTimeZone zone("Europe/Paris");
        inParis = justAfterMidnight(moment);
    }
    EXPECT_EQ(inUtc, at("2024-06-22T00:00:00Z"));
    EXPECT_EQ(inParis, at("2024-06-23T00:00:00+02:00"));
    EXPECT_FALSE(justAfterMidnight(NAN));
    EXPECT_FALSE(justAfterMidnight(1e300));
}
