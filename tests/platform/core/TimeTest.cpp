#include "platform/core/Time.h"

#include <gtest/gtest.h>

using namespace aerolune;

TEST(TimeTest, WritesUtcToTheNearestSecondAndReadsMomentsWithTheirZoneAndDurations) {
    EXPECT_EQ(formatUtc(1718941695.4), "2024-06-21T03:48:15Z");
    EXPECT_EQ(formatUtc(1718941695.5), "2024-06-21T03:48:16Z");
    EXPECT_EQ(formatUtc(-1), "1969-12-31T23:59:59Z");
    // Reads moments with their zone, and durations, and refuses the rest.
    EXPECT_EQ(parseIso8601("2024-06-21T05:48:15+02:00"), 1718941695);
    EXPECT_EQ(parseIso8601("2024-06-20T23:48:15-04:00"), 1718941695);
    EXPECT_EQ(parseIso8601("2024-06-21T03:48Z"), 1718941680);
    EXPECT_EQ(parseDuration("1.5h"), 5400);
    EXPECT_EQ(parseDuration("2d"), 172800);
    EXPECT_EQ(parseDuration("1e300d"), 1e300 * 86400);
    for (const char* bad :
         {"2024-06-21", "2024-06-21T03:48:15", "2024-02-30T00:00:00Z", "2024-06-21T24:00:00Z",
          "2024-06-21T03:48:15+0200", "2024-06-21T03:48Zx"})
        EXPECT_FALSE(parseIso8601(bad)) << bad;
    for (const char* bad : {"-1h", "h", "3x", "inf", "1e308d" /* finite until in seconds */})
        EXPECT_FALSE(parseDuration(bad)) << bad;
}
