#include "scenes/LoadingHostingView.h"

#include "support/RenderFrame.h"

#include <gtest/gtest.h>

using namespace aerolune;

namespace {

struct Ink {
    int minX = 1 << 20, maxX = -1, minY = 1 << 20, maxY = -1, darkest = 255, lines = 0;
    double centreX() const { return (minX + maxX + 1) / 2.0; }
    double centreY() const { return (minY + maxY + 1) / 2.0; }
};

// Where the text left ink, checking on the way that every pixel is white or
// blue laid over white; a line of text is a run of rows holding ink.
Ink inkOf(const test::Pixels& pixels) {
    Ink ink;
    bool inkAbove = false;
    for (int y = 0; y < pixels.height(); ++y) {
        bool inRow = false;
        for (int x = 0; x < pixels.width(); ++x) {
            const test::Rgb p = pixels.at(x, y);
            if (p == test::Rgb{255, 255, 255})
                continue;
            EXPECT_TRUE(p.b == 255 && std::abs(p.r - p.g) <= 1) << x << ", " << y;
            ink = {std::min(ink.minX, x), std::max(ink.maxX, x),      std::min(ink.minY, y),
                   std::max(ink.maxY, y), std::min(ink.darkest, p.r), ink.lines};
            inRow = true;
        }
        ink.lines += inRow && !inkAbove;
        inkAbove = inRow;
    }
    return ink;
}

} // namespace

TEST(LoadingHostingViewTest, TheTextIsExactAndShownVerbatim) {
    EXPECT_EQ(LoadingView().text(), "Loading the sky\xE2\x80\xA6") << "one ellipsis character";
    for (const std::string why : {"Missing location preference.", "", "%@ 100% \n"})
        EXPECT_EQ(LoadingView(why).text(), why + "\nPlease check your settings.");
}

TEST(LoadingHostingViewTest, EveryLayoutStretchesThePanelOverTheViewAndFramesChangeNothing) {
    auto view = std::make_shared<LoadingHostingView>(std::nullopt, Rect(5, 5, 10, 10));
    ASSERT_EQ(view->subviews().size(), 1u);
    for (const Rect frame : {Rect(0, 0, 1344, 504), Rect(20, 40, 300, 100), Rect()}) {
        view->setFrame(frame);
        view->layoutSubtreeIfNeeded();
        EXPECT_EQ(view->hostingView()->frame(), view->bounds()) << describe(frame);
        EXPECT_EQ(view->textLayer()->frame(), view->bounds()) << describe(frame);
    }
    for (int i = 0; i < 100; ++i)
        view->animate();
    EXPECT_FALSE(view->needsLayout());
    EXPECT_EQ(view->textLayer()->text(), LoadingView().text());
}

TEST(LoadingHostingViewTest, TheTextSitsInTheMiddleOfAWhitePanelInHalfTransparentBlue) {
    for (const auto& [why, lines] : {std::pair{std::optional<std::string>(), 1},
                                     {std::string("Missing location preference."), 2}}) {
        SCOPED_TRACE(lines);
        auto view = std::make_shared<LoadingHostingView>(why, Rect());
        Compositor compositor;
        for (const auto& [w, h] : {std::pair{260, 90}, {520, 180}}) {
            view->setFrame(Rect(0, 0, w, h));
            const Ink ink = inkOf(test::renderFrame(compositor, *view, w));
            EXPECT_EQ(ink.lines, lines);
            EXPECT_NEAR(ink.darkest, 128, 3) << "blue at half opacity over white";
            EXPECT_NEAR(ink.centreX(), w / 2.0, 2);
            EXPECT_NEAR(ink.centreY(), h / 2.0, 4);
            EXPECT_LT(ink.maxX - ink.minX, 240) << "the default body size, not a headline";
        }
    }
}
