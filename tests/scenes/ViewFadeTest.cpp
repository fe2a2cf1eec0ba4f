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

    test::ScopedManualClock clock{0};
    std::shared_ptr<View> parent = std::make_shared<View>(Rect(0, 0, 100, 100));
};

} // namespace

TEST_F(ViewFadeTest, TheViewFadesOverFiveSecondsThenLeavesTheTree) {
    auto old = std::make_shared<View>();
    auto replacement = std::make_shared<View>();
    parent->addSubview(old);
    parent->addSubview(replacement, Ordering::below, old.get());
    removeFromSuperviewWithFade(*old);
    ASSERT_NE(old->layer(), nullptr);
    const double start = clock->monotonic();
    EXPECT_EQ(old->layer()->opacity(), 0.0f) << "the model value";
    EXPECT_EQ(old->layer()->presentationOpacity(start), 1.0f);
    EXPECT_NEAR(old->layer()->presentationOpacity(start + 2.5), 0.5f, 1e-6);
    EXPECT_NEAR(old->layer()->presentationOpacity(start + 1.25),
                1 - ease(TimingFunction::easeInEaseOut, 0.25), 1e-6)
        << "eased: slow at first";
    MainQueue::main().advance(*clock, 4.999);
    EXPECT_EQ(old->superview(), parent.get());
    MainQueue::main().advance(*clock, 0.001);
    EXPECT_EQ(old->superview(), nullptr);
    EXPECT_EQ(parent->subviews().size(), 1u);
    EXPECT_EQ(parent->subviews()[0], replacement);
}

TEST_F(ViewFadeTest, TheDelayedRemovalNeitherKeepsTheViewAliveNorBringsItBack) {
    {
        SCOPED_TRACE("a view that is gone is left alone");
        auto doomed = std::make_shared<View>();
        parent->addSubview(doomed);
        std::weak_ptr<View> watch = doomed;
        removeFromSuperviewWithFade(*doomed);
        doomed->removeFromSuperview();
        doomed.reset();
        EXPECT_TRUE(watch.expired());
        MainQueue::main().advance(*clock, 10);
    }
    {
        SCOPED_TRACE("a view already out stays out");
        auto out = std::make_shared<View>();
        parent->addSubview(out);
        removeFromSuperviewWithFade(*out);
        out->removeFromSuperview();
        MainQueue::main().advance(*clock, 10);
        EXPECT_EQ(out->superview(), nullptr);
    }
    EXPECT_TRUE(parent->subviews().empty());
}

TEST_F(ViewFadeTest, AViewWithoutABackingLayerStillLeavesAfterFiveSeconds) {
    View::setBackingLayersAvailable(false);
    auto bare = std::make_shared<View>();
    parent->addSubview(bare);
    removeFromSuperviewWithFade(*bare);
    EXPECT_EQ(bare->layer(), nullptr);
    MainQueue::main().advance(*clock, 4.5);
    EXPECT_EQ(bare->superview(), parent.get());
    MainQueue::main().advance(*clock, 0.5);
    EXPECT_EQ(bare->superview(), nullptr);
}

TEST_F(ViewFadeTest, ASecondCallStartsASecondFadeFromFullOpacity) {
    auto view = std::make_shared<View>();
    parent->addSubview(view);
    removeFromSuperviewWithFade(*view);
    clock->advance(3);
    removeFromSuperviewWithFade(*view);
    EXPECT_EQ(view->layer()->presentationOpacity(clock->monotonic()), 1.0f);
    MainQueue::main().advance(*clock, 2);
    EXPECT_EQ(view->superview(), nullptr) << "the first removal still comes at five seconds";
}
