// The loading panel as it shows on screen: half-transparent blue text centred
// on white, on small pictures.

#include "scenes/LoadingHostingView.h"
#include "support/Rendering.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace aerolune;

namespace {

constexpr int width = 260;
constexpr int height = 90;

struct Ink {
    int minX = 1 << 20, maxX = -1, minY = 1 << 20, maxY = -1;
    int darkest = 255;
    std::vector<int> rows; // the rows holding ink, bottom up
    double centreX() const { return (minX + maxX + 1) / 2.0; }
    double centreY() const { return (minY + maxY + 1) / 2.0; }
};

// Where the text left ink, checking on the way that every pixel is white or
// the standard blue laid over white.
Ink inkOf(const Compositor& compositor) {
    Ink ink;
    for (int y = 0; y < compositor.height(); ++y) {
        bool inRow = false;
        for (int x = 0; x < compositor.width(); ++x) {
            const test::Rgb p = test::pixelAt(compositor, x, y);
            if (p.r == 255 && p.g == 255 && p.b == 255)
                continue;
            EXPECT_EQ(p.b, 255) << x << ", " << y;
            EXPECT_NEAR(p.r, p.g, 1) << x << ", " << y;
            ink.minX = std::min(ink.minX, x);
            ink.maxX = std::max(ink.maxX, x);
            ink.minY = std::min(ink.minY, y);
            ink.maxY = std::max(ink.maxY, y);
            ink.darkest = std::min(ink.darkest, p.r);
            inRow = true;
        }
        if (inRow)
            ink.rows.push_back(y);
    }
    return ink;
}

// Runs of neighbouring rows: one per line of text.
int lines(const std::vector<int>& rows) {
    int runs = 0;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (i == 0 || rows[i] != rows[i - 1] + 1)
            ++runs;
    return runs;
}

} // namespace

TEST(LoadingRenderingTest, TheWaitingTextSitsInTheMiddleOfAWhitePanel) {
    auto view = std::make_shared<LoadingHostingView>(std::nullopt, Rect());
    view->setFrame(Rect(0, 0, width, height));
    Compositor compositor;
    test::renderFrame(compositor, *view, 0);
    const Ink ink = inkOf(compositor);
    ASSERT_GE(ink.maxX, 0) << "some text shows";
    EXPECT_NEAR(ink.darkest, 128, 3) << "blue at half opacity over white";
    EXPECT_NEAR(ink.centreX(), width / 2.0, 2);
    EXPECT_NEAR(ink.centreY(), height / 2.0, 4);
    EXPECT_EQ(lines(ink.rows), 1);
    EXPECT_LT(ink.maxX - ink.minX, width / 2) << "the default body size, not a headline";
}

TEST(LoadingRenderingTest, AnErrorShowsTwoCentredLinesThatFollowTheViewsSize) {
    auto view =
        std::make_shared<LoadingHostingView>(std::string("Missing location preference."), Rect());
    view->setFrame(Rect(0, 0, width, height));
    Compositor compositor;
    test::renderFrame(compositor, *view, 0);
    const Ink ink = inkOf(compositor);
    EXPECT_EQ(lines(ink.rows), 2);
    EXPECT_NEAR(ink.centreX(), width / 2.0, 2);
    EXPECT_NEAR(ink.centreY(), height / 2.0, 4);
    {
        SCOPED_TRACE("after a resize the text moves to the new middle");
        view->setFrame(Rect(0, 0, 2 * width, 2 * height));
        test::renderFrame(compositor, *view, 1);
        ASSERT_EQ(compositor.width(), 2 * width);
        const Ink moved = inkOf(compositor);
        EXPECT_EQ(lines(moved.rows), 2);
        EXPECT_NEAR(moved.centreX(), width, 2);
        EXPECT_NEAR(moved.centreY(), height, 4);
        EXPECT_EQ(moved.maxX - moved.minX, ink.maxX - ink.minX);
    }
}
