#include "transitions/GradientStep.h"

#include "palette/ColorHelper.h"
#include "platform/view/Transaction.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

using namespace aerolune;

namespace {

const Color red(1, 0, 0), green(0, 1, 0), blue(0, 0, 1);

} // namespace

TEST(GradientStepTest, EachStepWalksToTheNextPairAndTheLastToTheLastColourTwice) {
    using Colors = std::vector<Color>;
    {
        SCOPED_TRACE("no colours: the walk is over at once");
        EXPECT_FALSE(hasGradientStep({}, 0));
    }
    {
        SCOPED_TRACE("one colour: one step to that colour twice");
        EXPECT_TRUE(hasGradientStep({red}, 0));
        EXPECT_EQ(gradientStepTarget({red}, 0), (Colors{red, red}));
        EXPECT_FALSE(hasGradientStep({red}, 1));
    }
    {
        SCOPED_TRACE("three colours: neighbours, then the last twice");
        const Colors colors{red, green, blue};
        EXPECT_EQ(gradientStepTarget(colors, 0), (Colors{red, green}));
        EXPECT_EQ(gradientStepTarget(colors, 1), (Colors{green, blue}));
        EXPECT_EQ(gradientStepTarget(colors, 2), (Colors{blue, blue}));
        EXPECT_TRUE(hasGradientStep(colors, 2));
        EXPECT_FALSE(hasGradientStep(colors, 3));
        EXPECT_FALSE(hasGradientStep(colors, -1));
    }
}

TEST(GradientStepTest, AStepEasesFromWhatTheLayerShowsAndLeavesTheTargetAsItsModel) {
    test::ScopedManualClock clock{0};
    clock->advance(10);
    GradientLayer layer;
    layer.setColors({red, red});
    animateGradientStep(layer, {red, green, blue}, 1, 240);
    EXPECT_FALSE(Transaction::isOpen());
    EXPECT_EQ(layer.colors(), (std::vector<Color>{green, blue}));
    const BasicAnimation* animation = layer.animationForKey("colors");
    ASSERT_NE(animation, nullptr);
    EXPECT_EQ(animation->duration(), 240);
    EXPECT_EQ(animation->timingFunction(), TimingFunction::easeInEaseOut);
    EXPECT_EQ(animation->beginTime(), 10.0);
    EXPECT_EQ(layer.presentationColors(10), (std::vector<Color>{red, red}));
    const double eased = ease(TimingFunction::easeInEaseOut, 0.25);
    const auto quarter = layer.presentationColors(70);
    ASSERT_EQ(quarter.size(), 2u);
    EXPECT_NEAR(quarter[0].red(), 1 - eased, 1e-12);
    EXPECT_NEAR(quarter[0].green(), eased, 1e-12);
    EXPECT_NEAR(quarter[1].blue(), eased, 1e-12);
    EXPECT_EQ(layer.presentationColors(250), (std::vector<Color>{green, blue}));
    {
        SCOPED_TRACE("a layer without colours yet jumps to the target at the end");
        GradientLayer bare;
        animateGradientStep(bare, {blue}, 0, 60);
        EXPECT_EQ(bare.colors(), (std::vector<Color>{blue, blue}));
        EXPECT_EQ(bare.presentationColors(70), (std::vector<Color>{blue, blue}));
    }
}
