#include "scenes/ViewFade.h"

#include "platform/core/MainQueue.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>
#include <utility>

using namespace aerolune;

// Eased over five seconds, then out of the tree; a view removed meanwhile, or
// let go, stays out and is not kept alive.
TEST(ViewFadeTest, TheViewFadesOutEasedOverFiveSecondsThenLeavesTheTreeWithoutHoldingIt) {
    MainQueue::main().reset();
    test::ScopedManualClock clock{0};
    const auto parent = std::make_shared<View>(Rect(0, 0, 100, 100));
    auto view = std::make_shared<View>(), gone = std::make_shared<View>(),
         out = std::make_shared<View>();
    for (const auto& v : {view, gone, out}) {
        parent->addSubview(v);
        removeFromSuperviewWithFade(*v);
    }
    out->removeFromSuperview();
    std::weak_ptr<View> watch = std::exchange(gone, nullptr);
    watch.lock()->removeFromSuperview();
    EXPECT_TRUE(watch.expired());
    const Layer& layer = *view->layer();
    EXPECT_EQ(layer.opacity(), 0.0f) << "the model value, so that it stays invisible";
    EXPECT_EQ(layer.presentationOpacity(0), 1.0f);
    EXPECT_NEAR(layer.presentationOpacity(1.25), 1 - ease(TimingFunction::easeInEaseOut, 0.25),
                1e-6);
    EXPECT_NEAR(layer.presentationOpacity(2.5), 0.5f, 1e-6);
    MainQueue::main().advance(*clock, 4.999);
    EXPECT_EQ(parent->subviews(), std::vector<std::shared_ptr<View>>{view});
    MainQueue::main().advance(*clock, 0.001);
    EXPECT_TRUE(parent->subviews().empty() && !out->superview() && !view->superview());
}
