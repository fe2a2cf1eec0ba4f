#include "platform/core/Random.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>

using namespace aerolune;

TEST(RandomTest, UniformStaysInTheHalfOpenRangeAndASeedReproducesTheSequence) {
    Random a(42), b(42);
    for (int i = 0; i < 10000; ++i) {
        const double value = a.uniform(0.05, 0.7);
        ASSERT_GE(value, 0.05);
        ASSERT_LT(value, 0.7);
        ASSERT_EQ(value, b.uniform(0.05, 0.7));
    }
    EXPECT_EQ(a.uniform(1, 1), 1.0); // an empty range gives its low end
}

TEST(RandomTest, ShuffleIsAPermutationAndEveryOrderOfThreeTurnsUp) {
    Random random(7);
    std::map<std::vector<int>, int> seen;
    for (int i = 0; i < 6000; ++i) {
        std::vector<int> items{1, 2, 3};
        random.shuffle(items);
        ++seen[items];
    }
    ASSERT_EQ(seen.size(), 6u);
    for (const auto& [order, count] : seen) {
        EXPECT_TRUE(std::is_permutation(order.begin(), order.end(), std::vector{1, 2, 3}.begin()));
        EXPECT_NEAR(count, 1000, 150);
    }
}
