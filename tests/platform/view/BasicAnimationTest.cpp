#include "platform/view/BasicAnimation.h"

#include "platform/view/GradientLayer.h"
#include "platform/view/Transaction.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

using namespace aerolune;

namespace {

void animateColors(GradientLayer& layer, std::vector<Color> to, double duration) {
    Transaction::begin();
    Transaction::setAnimationDuration(duration);
    Transaction::setAnimationTimingFunction(TimingFunction::easeInEaseOut);
    BasicAnimation animation("colors");
    animation.setFromValue(layer.colors());
    animation.setToValue(to);
    layer.setColors(std::move(to));
    layer.addAnimation(animation, "colors");
    Transaction::commit();
}

} // namespace

TEST(BasicAnimationTest, EaseInEaseOutIsSymmetricAndSlowAtBothEnds) {
    EXPECT_EQ(ease(TimingFunction::easeInEaseOut, 0), 0);
    EXPECT_EQ(ease(TimingFunction::easeInEaseOut, 1), 1);
    EXPECT_NEAR(ease(TimingFunction::easeInEaseOut, 0.5), 0.5, 1e-9);
    // The curve (0.42, 0) (0.58, 1) at a quarter of the way: well behind linear.
    const double quarter = ease(TimingFunction::easeInEaseOut, 0.25);
    EXPECT_NEAR(quarter, 0.1291, 5e-4);
    EXPECT_NEAR(ease(TimingFunction::easeInEaseOut, 0.75), 1 - quarter, 1e-9);
    EXPECT_EQ(ease(TimingFunction::linear, 0.25), 0.25);
    EXPECT_EQ(ease(TimingFunction::easeInEaseOut, -1), 0);
    EXPECT_EQ(ease(TimingFunction::easeInEaseOut, 2), 1);
    double previous = 0;
    for (int i = 1; i <= 100; ++i) {
        const double value = ease(TimingFunction::easeInEaseOut, i / 100.0);
        ASSERT_GT(value, previous);
        previous = value;
    }
}

TEST(BasicAnimationTest, AnEasedColourChangeRunsFromStartThroughMidpointToTheModelValue) {
    test::ScopedManualClock clock(0);
    GradientLayer layer;
    const Color night(0.1, 0.1, 0.4), rose(0.8, 0.6, 0.6);
    layer.setColors({night, night});
    animateColors(layer, {night, rose}, 240);
    const double start = clock->monotonic();
    EXPECT_EQ(layer.colors(), (std::vector<Color>{night, rose})) << "the model value at once";
    EXPECT_EQ(layer.presentationColors(start), (std::vector<Color>{night, night}));
    {
        SCOPED_TRACE("midpoint at 120 s");
        const Color mid = layer.presentationColors(start + 120)[1];
        EXPECT_NEAR(mid.red(), 0.45, 1e-9);
        EXPECT_NEAR(mid.alpha(), 1.0, 1e-12);
        EXPECT_EQ(layer.presentationColors(start + 120)[0], night);
    }
    {
        SCOPED_TRACE("off the linear value at 60 s");
        const Color quarter = layer.presentationColors(start + 60)[1];
        const double linear = 0.1 + 0.7 * 0.25;
        EXPECT_LT(quarter.red(), linear - 0.05);
        EXPECT_NEAR(quarter.red(), 0.1 + 0.7 * ease(TimingFunction::easeInEaseOut, 0.25), 1e-12);
    }
    {
        SCOPED_TRACE("removed at the end, the model value shows");
        clock->advance(239.999);
        EXPECT_NE(layer.animationForKey("colors"), nullptr);
        clock->advance(0.001);
        EXPECT_EQ(layer.animationForKey("colors"), nullptr);
        EXPECT_TRUE(layer.animationKeys().empty());
        EXPECT_EQ(layer.presentationColors(clock->monotonic()), (std::vector<Color>{night, rose}));
        layer.removeEndedAnimations(clock->monotonic());
        EXPECT_FALSE(layer.hasAnimations());
    }
}

TEST(BasicAnimationTest, AnAnimationBeginsAtTheCommitAndTakesTheTransactionsTiming) {
    test::ScopedManualClock clock(0);
    Layer layer;
    Transaction::begin();
    Transaction::setAnimationDuration(5);
    Transaction::setAnimationTimingFunction(TimingFunction::easeInEaseOut);
    BasicAnimation fade("opacity");
    fade.setFromValue(1.0);
    fade.setToValue(0.0);
    layer.setOpacity(0);
    layer.addAnimation(fade, "opacity");
    clock->advance(2);
    {
        SCOPED_TRACE("a nested transaction inherits and restores");
        Transaction::begin();
        EXPECT_EQ(Transaction::animationDuration(), 5);
        Transaction::setAnimationDuration(1);
        Transaction::commit();
        EXPECT_EQ(Transaction::animationDuration(), 5);
    }
    Transaction::commit();
    EXPECT_FALSE(Transaction::isOpen());
    const BasicAnimation* running = layer.animationForKey("opacity");
    ASSERT_NE(running, nullptr);
    EXPECT_EQ(running->beginTime(), 2.0);
    EXPECT_EQ(running->duration(), 5.0);
    EXPECT_EQ(running->timingFunction(), TimingFunction::easeInEaseOut);
    EXPECT_EQ(layer.presentationOpacity(2), 1.0f);
    EXPECT_NEAR(layer.presentationOpacity(4.5), 0.5f, 1e-6);
    EXPECT_EQ(layer.presentationOpacity(7), 0.0f);
    EXPECT_EQ(layer.opacity(), 0.0f);
    {
        SCOPED_TRACE("outside a transaction: at once, a quarter second, linear");
        Layer other;
        other.addAnimation(fade, "opacity");
        EXPECT_NEAR(other.presentationOpacity(2.125), 0.5f, 1e-6);
    }
    {
        SCOPED_TRACE("a new animation under the same key replaces the old one");
        layer.addAnimation(fade, "opacity");
        EXPECT_EQ(layer.animationKeys(), std::vector<std::string>{"opacity"});
    }
}
