#include "settings/LocationError.h"

#include <gtest/gtest.h>
#include <unordered_set>

using namespace aerolune;

TEST(LocationErrorTest, DescribesEachCase) {
    EXPECT_EQ(errorDescription(LocationError::missingPref), "Missing location preference.");
    EXPECT_EQ(errorDescription(LocationError::authorizationDenied),
              "Unable to determine the position of the sky.\nDefaulting to daytime.");
    const std::unordered_set<LocationError> cases{
        LocationError::authorizationDenied, LocationError::missingPref, LocationError::missingPref};
    EXPECT_EQ(cases.size(), 2u);
}
