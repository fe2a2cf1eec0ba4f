#include "scenes/Cloud.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace aerolune;

namespace {

// The alpha of the puff whose corner is at (x, y), or -1 where there is none.
double alphaAt(const Cloud& cloud, double x, double y) {
    for (const auto& puff : cloud.particles())
        if (puff->frame().origin == Point{x, y})
            return puff->backgroundColor().alpha();
    return -1;
}

} // namespace

TEST(CloudTest, PuffsAreDiscsClearAtTheEdgesDensestInTheMiddleAndSymmetric) {
    Cloud cloud(Rect(10, 20, 200, 100));
    ASSERT_EQ(cloud.particles().size(), 1250u);
    EXPECT_DOUBLE_EQ(alphaAt(cloud, 100, 48), 0.192);
    EXPECT_DOUBLE_EQ(alphaAt(cloud, 100, 52), 0.192);
    double densest = 0;
    for (const auto& puff : cloud.particles()) {
        const Point p = puff->frame().origin;
        const double alpha = puff->backgroundColor().alpha();
        densest = std::max(densest, alpha);
        if (p.x == 0 || p.y == 0)
            ASSERT_EQ(alpha, 0) << "clear along the starting edges";
        else
            ASSERT_DOUBLE_EQ(alpha, alphaAt(cloud, 200 - p.x, 100 - p.y)) << "mirrored";
    }
    EXPECT_DOUBLE_EQ(densest, 0.192);
    EXPECT_DOUBLE_EQ(alphaAt(Cloud(Rect(0, 0, 200, 104)), 100, 52), 0.2) << "a puff in the middle";
    for (const auto& [side, puffs] : {std::pair{3.99, 0u}, {4.0, 25u}, {7.99, 25u}, {8.0, 50u}}) {
        EXPECT_EQ(Cloud(Rect(0, 0, side, 100)).particles().size(), puffs) << side;
        EXPECT_EQ(Cloud(Rect(0, 0, 100, side)).sublayers().size(), puffs) << side;
    }
    const auto& puff = cloud.particles()[5]; // a disc at any size, once laid out
    puff->setFrame(Rect(0, 0, 12, 12));
    cloud.layoutIfNeeded();
    EXPECT_EQ(puff->cornerRadius(), 6.0);
}
