#include "scenes/Cloud.h"

#include "palette/ColorHelper.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace aerolune;

namespace {

const CloudParticle* puffAt(const Cloud& cloud, double x, double y) {
    for (const auto& particle : cloud.particles())
        if (particle->frame().origin == Point{x, y})
            return particle.get();
    return nullptr;
}

double alphaAt(const Cloud& cloud, double x, double y) {
    const CloudParticle* puff = puffAt(cloud, x, y);
    return puff ? puff->backgroundColor().alpha() : -1;
}

} // namespace

TEST(CloudTest, ACloudOf200By100HoldsAGridOf1250PuffsDensestInTheMiddle) {
    const Cloud cloud(Rect(10, 20, 200, 100));
    ASSERT_EQ(cloud.particles().size(), 1250u);
    EXPECT_EQ(cloud.frame(), Rect(10, 20, 200, 100));
    EXPECT_EQ(cloud.backgroundColor(), ColorHelper::clearColor());
    {
        SCOPED_TRACE("the puffs are the sublayers, in order, column by column");
        ASSERT_EQ(cloud.sublayers().size(), 1250u);
        for (std::size_t i = 0; i < cloud.particles().size(); ++i)
            ASSERT_EQ(cloud.sublayers()[i].get(), cloud.particles()[i].get());
        EXPECT_EQ(cloud.particles()[0]->frame(), Rect(0, 0, 9, 9));
        EXPECT_EQ(cloud.particles()[1]->frame(), Rect(0, 4, 9, 9));
        EXPECT_EQ(cloud.particles()[25]->frame(), Rect(4, 0, 9, 9));
        EXPECT_EQ(cloud.particles().back()->frame(), Rect(196, 96, 9, 9));
    }
    {
        SCOPED_TRACE("the two starting edges are clear");
        for (const auto& particle : cloud.particles())
            if (particle->frame().minX() == 0 || particle->frame().minY() == 0) {
                EXPECT_EQ(particle->backgroundColor().alpha(), 0.0);
            }
    }
    {
        SCOPED_TRACE("the same density on both sides of the middle row");
        EXPECT_DOUBLE_EQ(alphaAt(cloud, 100, 48), 0.192);
        EXPECT_DOUBLE_EQ(alphaAt(cloud, 100, 52), 0.192);
        EXPECT_EQ(puffAt(cloud, 100, 50), nullptr) << "50 is not on the grid";
        EXPECT_DOUBLE_EQ(alphaAt(cloud, 4, 48), 4.0 * 48 / 25000);
        EXPECT_DOUBLE_EQ(alphaAt(cloud, 196, 48), 4.0 * 48 / 25000) << "the far edge fades too";
        EXPECT_DOUBLE_EQ(alphaAt(cloud, 96, 48), 96.0 * 48 / 25000);
    }
    {
        SCOPED_TRACE("densest next to the middle, in the cloud's near-white");
        double densest = 0;
        for (const auto& particle : cloud.particles()) {
            const Color& colour = particle->backgroundColor();
            EXPECT_EQ(colour, ColorHelper::cloudColor(colour.alpha()));
            densest = std::max(densest, colour.alpha());
        }
        EXPECT_DOUBLE_EQ(densest, 0.192);
    }
    {
        SCOPED_TRACE("0.2 where a puff sits right in the middle");
        const Cloud even(Rect(0, 0, 200, 104));
        double densest = 0;
        for (const auto& particle : even.particles())
            densest = std::max(densest, particle->backgroundColor().alpha());
        EXPECT_DOUBLE_EQ(densest, 0.2);
        EXPECT_DOUBLE_EQ(alphaAt(even, 100, 52), 0.2);
    }
}

TEST(CloudTest, PuffsFillWholeStepsOfFourPointsOnly) {
    struct Case {
        double width, height;
        std::size_t puffs;
    };
    for (const Case& c :
         {Case{3.99, 100, 0}, Case{4, 100, 25}, Case{100, 3.99, 0}, Case{100, 4, 25},
          Case{7.99, 8, 2}, Case{8, 8, 4}, Case{0, 0, 0}, Case{350, 280, 87 * 70}}) {
        SCOPED_TRACE(describe(Rect(0, 0, c.width, c.height)));
        const Cloud cloud(Rect(0, 0, c.width, c.height));
        EXPECT_EQ(cloud.particles().size(), c.puffs);
        EXPECT_EQ(cloud.sublayers().size(), c.puffs);
    }
}

TEST(CloudTest, APuffRoundsItselfIntoADiscOnLayout) {
    Cloud cloud(Rect(0, 0, 40, 40));
    const auto& puff = cloud.particles()[5];
    EXPECT_EQ(puff->cornerRadius(), 0.0) << "not before the layout pass";
    cloud.layoutIfNeeded();
    EXPECT_EQ(puff->cornerRadius(), 4.5);
    puff->setFrame(Rect(0, 0, 12, 12));
    cloud.layoutIfNeeded();
    EXPECT_EQ(puff->cornerRadius(), 6.0);
}
