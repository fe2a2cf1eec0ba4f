#include "scenes/ViewFade.h"

#include "platform/core/MainQueue.h"
#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

using namespace aerolune;

namespace {

class ViewFadeTest : public ::testing::Test {
protected:
    void SetUp() override { MainQueue::main().reset(); }
    void TearDown() override {
        MainQueue::main().reset();
        View::setBackingLayersAvailable(true);
    }
    void advance(double seconds) { MainQueue::main().advance(*clock, seconds); }

    test::ScopedManualClock clock{0};
    std::shared_ptr<View> parent = std::make_shared<View>(Rect(0, 0, 100, 100));
    std::shared_ptr<View> view = [this] {
        auto view = std::make_shared<View>();
        parent->addSubview(view);
        return view;
    }();
};

} // namespace

TEST_F(ViewFadeTest, TheViewFadesOutEasedOverFiveSecondsThenLeavesTheTree) {
    removeFromSuperviewWithFade(*view);
    const Layer& layer = *view->layer();
    EXPECT_EQ(layer.opacity(), 0.0f) << "the model value, so that it stays invisible";
    EXPECT_EQ(layer.presentationOpacity(0), 1.0f);
    EXPECT_NEAR(layer.presentationOpacity(1.25), 1 - ease(TimingFunction::easeInEaseOut, 0.25),
                1e-6);
    EXPECT_NEAR(layer.presentationOpacity(2.5), 0.5f, 1e-6);
    advance(4.999);
    EXPECT_EQ(view->superview(), parent.get());
    advance(0.001);
    EXPECT_EQ(view->superview(), nullptr);
}

TEST_F(ViewFadeTest, TheRemovalNeitherKeepsTheViewAliveNorBringsItBack) {
    removeFromSuperviewWithFade(*view);
    auto other = std::make_shared<View>();
    parent->addSubview(other);
    removeFromSuperviewWithFade(*other);
    std::weak_ptr<View> watch = view;
    view->removeFromSuperview();
    view.reset();
    EXPECT_TRUE(watch.expired());
    other->removeFromSuperview();
    advance(10);
    EXPECT_EQ(other->superview(), nullptr);
    EXPECT_TRUE(parent->subviews().empty());
}

TEST_F(ViewFadeTest, AViewWithoutABackingLayerStillLeavesAfterFiveSeconds) {
    View::setBackingLayersAvailable(false);
    auto bare = std::make_shared<View>();
    parent->addSubview(bare);
    removeFromSuperviewWithFade(*bare);
    EXPECT_EQ(bare->layer(), nullptr);
    advance(4.5);
    EXPECT_EQ(bare->superview(), parent.get());
    advance(0.5);
    EXPECT_EQ(bare->superview(), nullptr);
}
