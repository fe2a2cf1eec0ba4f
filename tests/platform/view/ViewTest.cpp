#include "platform/view/View.h"

#include "platform/view/ScreenSaverView.h"

#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <utility>
#include <vector>

using namespace aerolune;

namespace {

// Records its layout and draw calls into a shared journal.
class JournalView : public View {
public:
    JournalView(std::string name, std::vector<std::string>& journal)
        : name_(std::move(name)), journal_(journal) {}
    void layout() override { journal_.push_back(name_ + ".layout"); }
    void drawRect(const Rect& dirty) override {
        journal_.push_back(name_ + ".draw " + describe(dirty));
        onDraw();
    }
    std::function<void()> onDraw = [] {};

private:
    std::string name_;
    std::vector<std::string>& journal_;
};

} // namespace

TEST(ViewTest, SubviewsKeepOrderLayoutAndDisplayRunOnRequestParentsFirstAndSaversRefuseBadFrames) {
    using Views = std::vector<std::shared_ptr<View>>;
    auto parent = std::make_shared<View>();
    auto a = std::make_shared<View>(), b = std::make_shared<View>(), c = std::make_shared<View>();
    parent->addSubview(a);
    parent->addSubview(b);
    parent->addSubview(c, Ordering::below, b.get()); // between
    EXPECT_EQ(parent->subviews(), (Views{a, c, b}));
    parent->addSubview(b, Ordering::below, a.get()); // the new bottom
    EXPECT_EQ(parent->subviews(), (Views{b, a, c}));
    parent->addSubview(b, Ordering::above, c.get()); // the new top
    EXPECT_EQ(parent->subviews(), (Views{a, c, b}));
    parent->addSubview(b, Ordering::below, nullptr); // below nothing: the bottom
    EXPECT_EQ(parent->subviews(), (Views{b, a, c}));
    std::make_shared<View>()->addSubview(a); // taken away by another parent
    c->addSubview(parent);                   // no cycles
    c->addSubview(c);
    EXPECT_EQ(parent->subviews(), (Views{b, c}));
    EXPECT_TRUE(parent->superview() == nullptr && c->subviews().empty());
    const std::weak_ptr<View> watch = b;
    b.reset();
    watch.lock()->removeFromSuperview();
    EXPECT_TRUE(watch.expired()) << "the last reference went with the removal";
    c->removeFromSuperview();
    c->removeFromSuperview();
    EXPECT_TRUE(parent->subviews().empty());
    parent->addSubview(c);
    parent.reset();
    EXPECT_EQ(c->superview(), nullptr) << "a dying parent forgets its children";

    // Layout and display run on request only, parents first, and reach a
    // child that a parent's draw resized.
    std::vector<std::string> journal;
    auto root = std::make_shared<JournalView>("root", journal);
    auto child = std::make_shared<JournalView>("child", journal);
    root->setFrame(Rect(0, 0, 100, 50));
    root->addSubview(child);
    root->onDraw = [&] { child->setFrame(root->bounds().insetBy(10, 10)); };
    const auto frame = [&] {
        journal.clear();
        root->layoutSubtreeIfNeeded();
        root->displayIfNeeded();
        return journal;
    };
    using Calls = std::vector<std::string>;
    EXPECT_EQ(frame(), (Calls{"root.layout", "child.layout", "root.draw {{0, 0}, {100, 50}}",
                              "child.layout", "child.draw {{0, 0}, {80, 30}}"}));
    EXPECT_EQ(frame(), Calls{}) << "no request";
    child->setFrame(Rect(5, 5, 80, 30));
    EXPECT_EQ(frame(), Calls{}) << "a move alone";
    child->setNeedsDisplayInRect(Rect(1, 1, 2, 2));
    EXPECT_EQ(frame(), Calls{"child.draw {{0, 0}, {80, 30}}"}) << "a request draws it whole";
    child->setFrame(Rect(5, 5, 80, 31));
    EXPECT_EQ(frame(), (Calls{"child.layout", "child.draw {{0, 0}, {80, 31}}"})) << "a new size";

    // A saver view refuses unusable frames; no interval means the default.
    const double inf = std::numeric_limits<double>::infinity();
    for (const Rect& unusable : {Rect(0, 0, -1, 10), Rect(0, 0, inf, 1), Rect(0, inf, 1, 1)})
        EXPECT_EQ(ScreenSaverView::create(unusable, false), nullptr) << describe(unusable);
    auto view = ScreenSaverView::create(Rect(0, 0, 296, 184), true);
    view->setAnimationTimeInterval(0);
    EXPECT_EQ(view->animationTimeInterval(), ScreenSaverView::defaultAnimationTimeInterval);
}
