#include "scenes/LoadingHostingView.h"

#include <gtest/gtest.h>

using namespace aerolune;

namespace {

class LoadingHostingViewTest : public ::testing::Test {
protected:
    void TearDown() override { View::setBackingLayersAvailable(true); }
};

} // namespace

TEST_F(LoadingHostingViewTest, ThePanelIsTheOnlySubviewAndDrawsWhiteWithTheCentredText) {
    auto view = std::make_shared<LoadingHostingView>(std::nullopt, Rect());
    EXPECT_EQ(view->frame(), Rect());
    EXPECT_FALSE(view->wantsLayer()) << "no layers of its own";
    EXPECT_EQ(view->layer(), nullptr);
    ASSERT_EQ(view->subviews().size(), 1u);
    EXPECT_EQ(view->subviews()[0], view->hostingView());
    const Layer* panel = view->hostingView()->layer();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->backgroundColor(), Color(1, 1, 1, 1));
    ASSERT_EQ(panel->sublayers().size(), 1u);
    const TextLayer* text = view->textLayer();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(panel->sublayers()[0].get(), text);
    EXPECT_EQ(text->text(), "Loading the sky\xE2\x80\xA6");
    EXPECT_EQ(text->foregroundColor(), Color(0, 0, 1, 0.5));
    EXPECT_EQ(text->fontSize(), TextLayer::defaultFontSize);
    EXPECT_EQ(text->backgroundColor().alpha(), 0.0) << "the panel shows through around the text";
}

TEST_F(LoadingHostingViewTest, EveryLayoutStretchesThePanelOverTheWholeView) {
    auto view = std::make_shared<LoadingHostingView>(std::string("Missing location preference."),
                                                     Rect(5, 5, 10, 10));
    EXPECT_EQ(view->textLayer()->text(),
              "Missing location preference.\nPlease check your settings.");
    for (const Rect frame : {Rect(0, 0, 1344, 504), Rect(20, 40, 300, 100), Rect(0, 0, 0, 0)}) {
        SCOPED_TRACE(describe(frame));
        view->setFrame(frame);
        view->layoutSubtreeIfNeeded();
        EXPECT_EQ(view->hostingView()->frame(), view->bounds());
        EXPECT_EQ(view->textLayer()->frame(), view->bounds());
    }
}

TEST_F(LoadingHostingViewTest, AnimateChangesNothing) {
    auto view = std::make_shared<LoadingHostingView>(std::string(""), Rect(0, 0, 400, 300));
    view->layoutSubtreeIfNeeded();
    const Rect hosting = view->hostingView()->frame();
    const Rect text = view->textLayer()->frame();
    for (int i = 0; i < 1000; ++i)
        view->animate();
    EXPECT_EQ(view->subviews().size(), 1u);
    EXPECT_EQ(view->hostingView()->frame(), hosting);
    EXPECT_EQ(view->textLayer()->frame(), text);
    EXPECT_EQ(view->textLayer()->text(), "\nPlease check your settings.");
    EXPECT_FALSE(view->needsLayout());
}

TEST_F(LoadingHostingViewTest, WithoutBackingLayersThePanelStillFollowsTheView) {
    View::setBackingLayersAvailable(false);
    auto view = std::make_shared<LoadingHostingView>(std::nullopt, Rect(0, 0, 200, 100));
    EXPECT_EQ(view->textLayer(), nullptr);
    view->layoutSubtreeIfNeeded();
    EXPECT_EQ(view->hostingView()->frame(), Rect(0, 0, 200, 100));
    view->animate();
}
