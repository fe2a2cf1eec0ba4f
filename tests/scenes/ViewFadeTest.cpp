#include "scenes/ViewFade.h"

#include "platform/core/MainQueue.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

using namespace aerolune;

namespace {

struct ViewFadeTest : ::testing::Test {
    ViewFadeTest() { MainQueue::main().reset(); }

    test::ScopedManualClock clock{0};
    std::shared_ptr<View> parent = std::make_shared<View>(Rect(0, 0, 100, 100));
};

} // namespace

TEST_F(ViewFadeTest, TheViewFadesOutEasedOverFiveSecondsThenLeavesTheTree) {
    const auto view = std::make_shared<View>();
    parent->addSubview(view);
    removeFromSuperviewWithFade(*view);
    const Layer& layer = *view->layer();
    EXPECT_EQ(layer.opacity(), 0.0f) << "the model value, so that it stays invisible";
    EXPECT_EQ(layer.presentationOpacity(0), 1.0f);
    EXPECT_NEAR(layer.presentationOpacity(1.25), 1 - ease(TimingFunction::easeInEaseOut, 0.25),
                1e-6);
    EXPECT_NEAR(layer.presentationOpacity(2.5), 0.5f, 1e-6);
    MainQueue::main().advance(*clock, 4.999);
    EXPECT_EQ(view->superview(), parent.get());
    MainQueue::main().advance(*clock, 0.001);
    EXPECT_EQ(view->superview(), nullptr);
}

TEST_F(ViewFadeTest, TheRemovalNeitherKeepsTheViewAliveNorBringsItBack) {
    auto gone = std::make_shared<View>(), out = std::make_shared<View>();
    std::weak_ptr<View> watch = gone;
    for (const auto& view : {gone, out}) {
        parent->addSubview(view);
        removeFromSuperviewWithFade(*view);
        view->removeFromSuperview();
    }
    gone.reset();
    EXPECT_TRUE(watch.expired());
    MainQueue::main().advance(*clock, 10);
    EXPECT_TRUE(parent->subviews().empty() && !out->superview());
}
