#include "platform/view/View.h"

#include "platform/view/ScreenSaverView.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

using namespace aerolune;

namespace {

// Records its layout and draw calls into a shared journal.
class JournalView : public View {
public:
    JournalView(std::string name, std::vector<std::string>& journal)
        : name_(std::move(name)), journal_(journal) {}

    void layout() override {
        View::layout();
        journal_.push_back(name_ + ".layout");
    }
    void drawRect(const Rect& dirty) override {
        journal_.push_back(name_ + ".draw " + describe(dirty));
        if (onDraw)
            onDraw();
    }

    std::function<void()> onDraw;

private:
    std::string name_;
    std::vector<std::string>& journal_;
};

std::vector<const View*> order(const View& parent) {
    std::vector<const View*> views;
    for (const auto& subview : parent.subviews())
        views.push_back(subview.get());
    return views;
}

} // namespace

TEST(ViewTest, SubviewsKeepTheirOrderAndInsertBelowASibling) {
    auto parent = std::make_shared<View>();
    auto a = std::make_shared<View>(), b = std::make_shared<View>(), c = std::make_shared<View>();
    parent->addSubview(a);
    parent->addSubview(b);
    EXPECT_EQ(order(*parent), (std::vector<const View*>{a.get(), b.get()}));
    EXPECT_EQ(b->superview(), parent.get());
    {
        SCOPED_TRACE("below the top view goes between");
        parent->addSubview(c, Ordering::below, b.get());
        EXPECT_EQ(order(*parent), (std::vector<const View*>{a.get(), c.get(), b.get()}));
    }
    {
        SCOPED_TRACE("below the bottom view becomes the bottom");
        parent->addSubview(b, Ordering::below, a.get());
        EXPECT_EQ(order(*parent), (std::vector<const View*>{b.get(), a.get(), c.get()}));
    }
    {
        SCOPED_TRACE("above a sibling, and below nothing, which is the bottom");
        parent->addSubview(b, Ordering::above, c.get());
        EXPECT_EQ(order(*parent), (std::vector<const View*>{a.get(), c.get(), b.get()}));
        parent->addSubview(b, Ordering::below, nullptr);
        EXPECT_EQ(order(*parent), (std::vector<const View*>{b.get(), a.get(), c.get()}));
    }
    {
        SCOPED_TRACE("adding to another parent moves the view");
        auto other = std::make_shared<View>();
        other->addSubview(a);
        EXPECT_EQ(order(*parent), (std::vector<const View*>{b.get(), c.get()}));
        EXPECT_EQ(a->superview(), other.get());
    }
    {
        SCOPED_TRACE("a view cannot become its own ancestor's child");
        auto child = std::make_shared<View>();
        parent->addSubview(child);
        child->addSubview(parent);
        child->addSubview(child);
        EXPECT_EQ(parent->superview(), nullptr);
        EXPECT_TRUE(child->subviews().empty());
    }
}

TEST(ViewTest, RemovalIsImmediateAndHarmlessWhenAlreadyOut) {
    auto parent = std::make_shared<View>();
    auto child = std::make_shared<View>();
    std::weak_ptr<View> watch = child;
    parent->addSubview(child);
    child.reset();
    ASSERT_FALSE(watch.expired()) << "the parent owns its subviews";
    watch.lock()->removeFromSuperview();
    EXPECT_TRUE(watch.expired()) << "the last reference went with the removal";
    EXPECT_TRUE(parent->subviews().empty());

    auto loose = std::make_shared<View>();
    loose->removeFromSuperview();
    parent->addSubview(loose);
    loose->removeFromSuperview();
    loose->removeFromSuperview();
    EXPECT_EQ(loose->superview(), nullptr);
    EXPECT_TRUE(parent->subviews().empty());
    {
        SCOPED_TRACE("a dying parent clears its children's back pointers");
        auto orphan = std::make_shared<View>();
        parent->addSubview(orphan);
        parent.reset();
        EXPECT_EQ(orphan->superview(), nullptr);
    }
}

TEST(ViewTest, BoundsFollowTheFrameAndOnlyASizeChangeAsksForLayoutAndDisplay) {
    auto view = std::make_shared<View>(Rect(10, 20, 300, 200));
    EXPECT_EQ(view->bounds(), Rect(0, 0, 300, 200));
    EXPECT_TRUE(view->needsLayout()) << "a new view needs both passes";
    EXPECT_TRUE(view->needsDisplay());
    view->displayIfNeeded();
    EXPECT_FALSE(view->needsLayout());
    EXPECT_FALSE(view->needsDisplay());
    view->setFrame(Rect(50, 60, 300, 200));
    EXPECT_FALSE(view->needsLayout()) << "a move alone";
    EXPECT_FALSE(view->needsDisplay());
    EXPECT_EQ(view->bounds(), Rect(0, 0, 300, 200));
    view->setFrame(Rect(50, 60, 300, 201));
    EXPECT_TRUE(view->needsLayout());
    EXPECT_TRUE(view->needsDisplay());
}

TEST(ViewTest, DisplayPassDrawsParentsFirstAndChildrenResizedByADrawInTheSamePass) {
    std::vector<std::string> journal;
    auto root = std::make_shared<JournalView>("root", journal);
    auto child = std::make_shared<JournalView>("child", journal);
    root->setFrame(Rect(0, 0, 100, 50));
    root->addSubview(child);
    root->onDraw = [&] { child->setFrame(root->bounds().insetBy(10, 10)); };
    root->layoutSubtreeIfNeeded();
    EXPECT_EQ(journal, (std::vector<std::string>{"root.layout", "child.layout"}));
    journal.clear();
    root->displayIfNeeded();
    EXPECT_EQ(journal, (std::vector<std::string>{"root.draw {{0, 0}, {100, 50}}", "child.layout",
                                                 "child.draw {{0, 0}, {80, 30}}"}));
    {
        SCOPED_TRACE("a frame with no request draws nothing");
        journal.clear();
        root->layoutSubtreeIfNeeded();
        root->displayIfNeeded();
        EXPECT_TRUE(journal.empty());
    }
    {
        SCOPED_TRACE("a request draws that view only");
        child->setNeedsDisplayInRect(Rect(1, 1, 2, 2));
        root->displayIfNeeded();
        EXPECT_EQ(journal, (std::vector<std::string>{"child.draw {{0, 0}, {80, 30}}"}));
    }
}

TEST(ViewTest, BackingLayerComesOnRequestFollowsTheFrameAndMayBeAbsent) {
    auto view = std::make_shared<View>(Rect(5, 5, 40, 30));
    EXPECT_EQ(view->layer(), nullptr);
    view->setWantsLayer(true);
    ASSERT_NE(view->layer(), nullptr);
    EXPECT_EQ(view->layer()->frame(), Rect(5, 5, 40, 30));
    view->setFrame(Rect(0, 0, 80, 60));
    EXPECT_EQ(view->layer()->frame(), Rect(0, 0, 80, 60));

    View::setBackingLayersAvailable(false);
    auto bare = std::make_shared<View>();
    bare->setWantsLayer(true);
    View::setBackingLayersAvailable(true);
    EXPECT_TRUE(bare->wantsLayer());
    EXPECT_EQ(bare->layer(), nullptr);
}

TEST(ScreenSaverViewTest, CreationRefusesUnusableFramesAndKeepsTheHostsSettings) {
    EXPECT_NE(ScreenSaverView::create(Rect(0, 0, 0, 0), false), nullptr);
    EXPECT_EQ(ScreenSaverView::create(Rect(0, 0, -1, 10), false), nullptr);
    EXPECT_EQ(
        ScreenSaverView::create(Rect(0, 0, std::numeric_limits<double>::infinity(), 1), false),
        nullptr);
    auto view = ScreenSaverView::create(Rect(0, 0, 296, 184), true);
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->isPreview());
    EXPECT_DOUBLE_EQ(view->animationTimeInterval(), 1.0 / 30.0);
    view->setAnimationTimeInterval(0.5);
    EXPECT_DOUBLE_EQ(view->animationTimeInterval(), 0.5);
    view->setAnimationTimeInterval(0);
    EXPECT_DOUBLE_EQ(view->animationTimeInterval(), 1.0 / 30.0);
    EXPECT_FALSE(view->isAnimating());
    view->startAnimation();
    EXPECT_TRUE(view->isAnimating());
    view->stopAnimation();
    EXPECT_FALSE(view->isAnimating());
}
