#include "platform/view/Layer.h"

#include "platform/view/GradientLayer.h"

#include <gtest/gtest.h>
#include <numbers>

using namespace aerolune;

namespace {

// A puff that rounds itself into a disc whenever its size changes.
class DiscLayer : public Layer {
public:
    void layoutSublayers() override {
        Layer::layoutSublayers();
        ++layouts;
        setCornerRadius(frame().height() * 0.5);
    }
    int layouts = 0;
};

std::vector<const Layer*> order(const Layer& parent) {
    std::vector<const Layer*> layers;
    for (const auto& sublayer : parent.sublayers())
        layers.push_back(sublayer.get());
    return layers;
}

} // namespace

TEST(LayerTest, FrameReadsBackExactlyAndSizeChangesLayOutOnce) {
    auto disc = std::make_shared<DiscLayer>();
    disc->setFrame(Rect(0.1, 0.7, 9, 9));
    EXPECT_EQ(disc->frame(), Rect(0.1, 0.7, 9, 9));
    EXPECT_EQ(disc->bounds(), Rect(0, 0, 9, 9));
    EXPECT_TRUE(disc->needsLayout());
    EXPECT_EQ(disc->layouts, 0) << "layout waits for the layout pass";
    disc->layoutIfNeeded();
    EXPECT_EQ(disc->layouts, 1);
    EXPECT_EQ(disc->cornerRadius(), 4.5);
    disc->layoutIfNeeded();
    EXPECT_EQ(disc->layouts, 1);
    {
        SCOPED_TRACE("a move needs no layout");
        for (int i = 0; i < 100; ++i)
            disc->setFrame(Rect(disc->frame().minX() - 0.05, 0.7, 9, 9));
        EXPECT_FALSE(disc->needsLayout());
    }
    {
        SCOPED_TRACE("the layout pass reaches a disc deep in a tree");
        auto root = std::make_shared<Layer>();
        auto middle = std::make_shared<Layer>();
        root->addSublayer(middle);
        middle->addSublayer(disc);
        disc->setFrame(Rect(0, 0, 3, 3));
        root->layoutIfNeeded();
        EXPECT_EQ(disc->layouts, 2);
        EXPECT_EQ(disc->cornerRadius(), 1.5);
    }
}

TEST(LayerTest, SublayersKeepTheirOrderAndLeaveCleanly) {
    auto parent = std::make_shared<Layer>();
    auto a = std::make_shared<Layer>(), b = std::make_shared<Layer>(),
         c = std::make_shared<Layer>();
    parent->addSublayer(a);
    parent->addSublayer(b);
    parent->insertSublayer(c, 0);
    EXPECT_EQ(order(*parent), (std::vector<const Layer*>{c.get(), a.get(), b.get()}));
    parent->addSublayer(c);
    EXPECT_EQ(order(*parent), (std::vector<const Layer*>{a.get(), b.get(), c.get()}));
    a->removeFromSuperlayer();
    a->removeFromSuperlayer();
    EXPECT_EQ(a->superlayer(), nullptr);
    EXPECT_EQ(order(*parent), (std::vector<const Layer*>{b.get(), c.get()}));
    c->addSublayer(parent);
    EXPECT_EQ(parent->superlayer(), nullptr) << "no cycles";
}

TEST(LayerTest, SettersRecordDamageOnlyForRealChangesAndFlagTheAncestors) {
    auto root = std::make_shared<Layer>();
    auto cloud = std::make_shared<Layer>();
    auto puff = std::make_shared<Layer>();
    root->addSublayer(cloud);
    cloud->addSublayer(puff);
    puff->setFrame(Rect(0, 0, 9, 9));
    puff->setBackgroundColor(Color(1, 1, 1, 0.1));
    root->settleChanges();
    EXPECT_EQ(root->changes(), 0);
    EXPECT_EQ(puff->changes(), 0);

    puff->setFrame(Rect(0, 0, 9, 9));
    puff->setBackgroundColor(Color(1, 1, 1, 0.1));
    puff->setOpacity(1);
    puff->setHidden(false);
    puff->setCornerRadius(0);
    EXPECT_EQ(root->changes(), 0) << "same values change nothing";

    cloud->setFrame(Rect(-0.25, 0, 0, 0));
    EXPECT_EQ(cloud->changes(), Layer::placementChanged);
    EXPECT_EQ(root->changes(), Layer::descendantChanged);
    EXPECT_EQ(puff->changes(), 0) << "a move leaves what is below alone";
    root->settleChanges();

    puff->setCornerRadius(4.5);
    EXPECT_EQ(puff->changes(), Layer::contentChanged);
    EXPECT_EQ(cloud->changes(), Layer::descendantChanged);
    EXPECT_EQ(root->changes(), Layer::descendantChanged);
    root->settleChanges();
    puff->setOpacity(0.5f);
    puff->setHidden(true);
    EXPECT_EQ(puff->changes(), Layer::placementChanged);
    puff->setFrame(Rect(0, 0, 10, 9));
    EXPECT_EQ(puff->changes(), Layer::placementChanged | Layer::contentChanged);
    root->settleChanges();
    puff->removeFromSuperlayer();
    EXPECT_EQ(cloud->changes(), Layer::sublayersChanged);
    EXPECT_EQ(root->changes(), Layer::descendantChanged);
}

TEST(LayerTest, ATurnedLayersFrameIsItsExtentAfterTheTurn) {
    const double quarter = std::numbers::pi / 2;
    auto gradient = std::make_shared<GradientLayer>();
    gradient->setTransform(Transform::makeRotation(quarter));
    gradient->setFrame(Rect(0, 0, 300, 100));
    EXPECT_EQ(gradient->frame(), Rect(0, 0, 300, 100));
    EXPECT_EQ(gradient->bounds(), Rect(0, 0, 100, 300)) << "a quarter turn swaps the sides";
    EXPECT_EQ(gradient->position(), (Point{150, 50}));
    gradient->setTransform(Transform::makeRotation(std::numbers::pi));
    EXPECT_EQ(gradient->bounds(), Rect(0, 0, 100, 300)) << "turning keeps the size";
    EXPECT_EQ(gradient->frame(), Rect(100, -100, 100, 300)) << "and the centre";
    gradient->setTransform(Transform::identity());
    gradient->setFrame(Rect(0, 0, 300, 100));
    EXPECT_EQ(gradient->bounds(), Rect(0, 0, 300, 100));
}

TEST(LayerTest, GradientColoursReadBackAndAskForALook) {
    auto gradient = std::make_shared<GradientLayer>();
    gradient->settleChanges();
    const std::vector<Color> pair{Color(1, 0, 0), Color(0, 0, 1)};
    gradient->setColors(pair);
    EXPECT_EQ(gradient->colors(), pair);
    EXPECT_EQ(gradient->changes(), Layer::presentationChanged);
    gradient->settleChanges();
    gradient->setColors(pair);
    EXPECT_EQ(gradient->changes(), 0);
}
