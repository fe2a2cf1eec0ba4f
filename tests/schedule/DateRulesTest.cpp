// The rules on moments: where the next local day begins.

#include "schedule/DateRules.h"

#include "support/ScopedEnvironment.h"

#include <cmath>
#include <gtest/gtest.h>
#include <tuple>

using namespace aerolune;
using aerolune::test::at;

TEST(DateRulesTest, JustAfterMidnightIsTheFirstMomentOfTheNextLocalDay) {
    for (const auto& [zone, moment, expected] : {
             std::tuple{"<+02>-2", "2024-06-21T23:59:59+02:00", "2024-06-22T00:00:00+02:00"},
             {"<+02>-2", "2024-06-21T00:00:00+02:00", "2024-06-22T00:00:00+02:00"},
             {"Europe/Paris", "2024-03-30T23:30:00+01:00", "2024-03-31T00:00:00+01:00"},
             {"America/New_York", "2024-11-03T00:00:00-04:00", "2024-11-04T00:00:00-05:00"},
             // Midnight is skipped in Havana: the day starts at 01:00.
             {"America/Havana", "2024-03-09T00:30:00-05:00", "2024-03-10T01:00:00-04:00"},
             {"Europe/Paris", "2024-06-21T23:00:00Z", "2024-06-23T00:00:00+02:00"},
         }) {
        test::ScopedTimeZone scoped(zone);
        EXPECT_EQ(justAfterMidnight(at(moment)), at(expected)) << zone << " " << moment;
    }
    EXPECT_FALSE(justAfterMidnight(NAN) || justAfterMidnight(1e300));
}
