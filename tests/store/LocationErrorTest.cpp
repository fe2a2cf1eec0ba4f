#include "store/LocationError.h"

#include <gtest/gtest.h>

using namespace aerolune;

TEST(LocationErrorTest, DescribesEachCase) {
    EXPECT_EQ(errorDescription(LocationError::missingPref), "Missing location preference.");
    EXPECT_EQ(errorDescription(LocationError::authorizationDenied),
              "Unable to determine the position of the sky.\nDefaulting to daytime.");
}
