#include "platform/view/Layer.h"

#include "platform/view/GradientLayer.h"

#include <gtest/gtest.h>

using namespace aerolune;

namespace {

// A puff that rounds itself into a disc whenever its size changes.
class DiscLayer : public GradientLayer {
public:
    void layoutSublayers() override {
        Layer::layoutSublayers();
        ++layouts;
        setCornerRadius(frame().height() * 0.5);
    }
    int layouts = 0;
};

} // namespace

TEST(LayerTest, SettersMarkExactlyWhatChangedAndFlagTheAncestorsOnly) {
    auto root = std::make_shared<Layer>(), cloud = std::make_shared<Layer>();
    auto puff = std::make_shared<DiscLayer>();
    root->addSublayer(cloud);
    cloud->addSublayer(puff);
    puff->setFrame(Rect(0, 0, 9, 9));
    const auto marks = [&] {
        const std::vector<int> seen{puff->changes(), cloud->changes(), root->changes()};
        root->settleChanges();
        return seen;
    };
    const int below = Layer::descendantChanged;
    marks();
    puff->setFrame(Rect(0, 0, 9, 9));
    puff->setOpacity(1);
    puff->setHidden(false);
    puff->setColors({});
    EXPECT_EQ(marks(), (std::vector{0, 0, 0})) << "the same values";
    cloud->setFrame(Rect(-0.25, 0, 0, 0));
    EXPECT_EQ(marks(), (std::vector{0, +Layer::placementChanged, below})) << "a move";
    puff->setOpacity(0.5f);
    puff->setHidden(true);
    EXPECT_EQ(marks(), (std::vector{+Layer::placementChanged, below, below}));
    puff->setColors({Color(1, 0, 0), Color(0, 0, 1)}); // to be compared with what was drawn
    EXPECT_EQ(marks(), (std::vector{+Layer::presentationChanged, below, below}));
    puff->setFrame(Rect(0, 0, 10, 9));
    EXPECT_EQ(puff->changes(), Layer::placementChanged | Layer::contentChanged) << "a new size";
    EXPECT_EQ(puff->layouts, 0) << "layout waits for the layout pass";
    root->layoutIfNeeded();
    root->layoutIfNeeded();
    EXPECT_EQ(puff->layouts, 1);
    EXPECT_EQ(puff->cornerRadius(), 4.5);
    marks();
    puff->removeFromSuperlayer();
    EXPECT_EQ(marks(), (std::vector{0, +Layer::sublayersChanged, below})) << "a removal";
    cloud->addSublayer(root);
    EXPECT_EQ(root->superlayer(), nullptr) << "no cycles";
}
