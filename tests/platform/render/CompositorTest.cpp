#include "platform/render/Compositor.h"

#include "platform/view/GradientLayer.h"
#include "platform/view/TextLayer.h"
#include "platform/view/Transaction.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <numbers>

using namespace aerolune;

namespace {

struct Pixel {
    int a, r, g, b;
};

// The pixel at (x, y) counted from the image's top-left, un-premultiplied to 0-255.
Pixel pixelAt(const Compositor& compositor, int x, int y) {
    cairo_surface_t* image = compositor.image();
    const auto* row =
        cairo_image_surface_get_data(image) + y * cairo_image_surface_get_stride(image);
    std::uint32_t value;
    std::memcpy(&value, row + 4 * x, 4);
    return {static_cast<int>(value >> 24), static_cast<int>(value >> 16 & 255),
            static_cast<int>(value >> 8 & 255), static_cast<int>(value & 255)};
}

void expectPixel(const Pixel& p, int r, int g, int b, int tolerance = 1) {
    EXPECT_NEAR(p.r, r, tolerance);
    EXPECT_NEAR(p.g, g, tolerance);
    EXPECT_NEAR(p.b, b, tolerance);
}

std::shared_ptr<View> layeredView(const Rect& frame, const Color& background) {
    auto view = std::make_shared<View>(frame);
    view->setWantsLayer(true);
    view->layer()->setBackgroundColor(background);
    return view;
}

std::shared_ptr<Layer> square(const Rect& frame, const Color& color, double radius = 0) {
    auto layer = std::make_shared<Layer>();
    layer->setFrame(frame);
    layer->setBackgroundColor(color);
    layer->setCornerRadius(radius);
    return layer;
}

bool sameImages(const Compositor& a, const Compositor& b) {
    if (a.width() != b.width() || a.height() != b.height())
        return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const Pixel p = pixelAt(a, x, y), q = pixelAt(b, x, y);
            if (p.a != q.a || p.r != q.r || p.g != q.g || p.b != q.b) {
                ADD_FAILURE() << "images differ at (" << x << ", " << y << ")";
                return false;
            }
        }
    return true;
}

const Color white(1, 1, 1), black(0, 0, 0), red(1, 0, 0), blue(0, 0, 1);

} // namespace

TEST(CompositorTest, YGrowsUpwardsAndTheImageTakesTheRootsSize) {
    auto root = layeredView(Rect(0, 0, 20, 10), white);
    root->layer()->addSublayer(square(Rect(0, 0, 5, 5), red));
    auto top = layeredView(Rect(15, 5, 5, 5), blue);
    root->addSubview(top);
    Compositor compositor;
    compositor.render(*root, 0);
    ASSERT_EQ(compositor.width(), 20);
    ASSERT_EQ(compositor.height(), 10);
    expectPixel(pixelAt(compositor, 0, 9), 255, 0, 0); // bottom-left
    expectPixel(pixelAt(compositor, 4, 5), 255, 0, 0); // its top-right pixel
    expectPixel(pixelAt(compositor, 5, 5), 255, 255, 255);
    expectPixel(pixelAt(compositor, 4, 4), 255, 255, 255);
    expectPixel(pixelAt(compositor, 0, 0), 255, 255, 255);
    expectPixel(pixelAt(compositor, 19, 0), 0, 0, 255); // top-right view
    expectPixel(pixelAt(compositor, 15, 4), 0, 0, 255);
    expectPixel(pixelAt(compositor, 14, 4), 255, 255, 255);
    expectPixel(pixelAt(compositor, 15, 5), 255, 255, 255);
    EXPECT_EQ(pixelAt(compositor, 10, 5).a, 255);
}

TEST(CompositorTest, GradientColoursSitAlongTheAxisInEachOfTheFourTurns) {
    // Per turn: the edge where the first colour sits, as a pixel just inside it.
    struct Turn {
        double angle;
        const char* firstEdge;
    };
    const Turn turns[] = {{0, "bottom"},
                          {std::numbers::pi / 2, "right"},
                          {std::numbers::pi, "top"},
                          {3 * std::numbers::pi / 2, "left"}};
    for (const bool translucent : {false, true}) {
        for (const auto& turn : turns) {
            SCOPED_TRACE(std::string(turn.firstEdge) + (translucent ? ", through Cairo" : ""));
            auto root = layeredView(Rect(0, 0, 40, 20), black);
            auto gradient = std::make_shared<GradientLayer>();
            const double alpha = translucent ? 0.999 : 1; // translucent: not the direct path
            gradient->setColors({Color(1, 0, 0, alpha), Color(0, 0, 1, alpha)});
            gradient->setTransform(Transform::makeRotation(turn.angle));
            gradient->setFrame(root->bounds());
            root->layer()->addSublayer(gradient);
            Compositor compositor;
            compositor.render(*root, 0);
            const std::string edge = turn.firstEdge;
            const Pixel first = edge == "bottom" ? pixelAt(compositor, 20, 19)
                                : edge == "top"  ? pixelAt(compositor, 20, 0)
                                : edge == "left" ? pixelAt(compositor, 0, 10)
                                                 : pixelAt(compositor, 39, 10);
            const Pixel second = edge == "bottom" ? pixelAt(compositor, 20, 0)
                                 : edge == "top"  ? pixelAt(compositor, 20, 19)
                                 : edge == "left" ? pixelAt(compositor, 39, 10)
                                                  : pixelAt(compositor, 0, 10);
            // Pixel centres half a pixel in from the edge of a 20 or 40 pixel axis.
            const bool vertical = edge == "bottom" || edge == "top";
            const double near = 255 * (0.5 / (vertical ? 20 : 40));
            expectPixel(first, static_cast<int>(std::lround(255 - near)), 0,
                        static_cast<int>(std::lround(near)), 2);
            expectPixel(second, static_cast<int>(std::lround(near)), 0,
                        static_cast<int>(std::lround(255 - near)), 2);
            const Pixel middle = pixelAt(compositor, vertical ? 20 : 19, vertical ? 9 : 10);
            EXPECT_NEAR(middle.r + middle.b, 255, 2);
            EXPECT_NEAR(middle.r,
                        vertical ? (edge == "bottom" ? 121 : 134) : (edge == "left" ? 131 : 124),
                        3);
            const Pixel acrossA = pixelAt(compositor, vertical ? 2 : 19, vertical ? 9 : 1);
            const Pixel acrossB = pixelAt(compositor, vertical ? 37 : 19, vertical ? 9 : 18);
            EXPECT_NEAR(acrossA.r, acrossB.r, 1) << "constant across the axis";
        }
    }
}

TEST(CompositorTest, ADiscCoversItsAreaSymmetricallyDrawnDirectlyOrInAPicture) {
    for (const int puffs : {1, 20}) {
        SCOPED_TRACE(puffs == 1 ? "drawn directly" : "rasterised into a picture");
        auto root = layeredView(Rect(0, 0, 16, 16), black);
        auto cloud = std::make_shared<Layer>();
        cloud->setFrame(Rect(3, 4, 9, 9));
        // Fully transparent companions make a subtree big enough for a picture.
        cloud->addSublayer(square(Rect(0, 0, 9, 9), white, 4.5));
        for (int i = 1; i < puffs; ++i)
            cloud->addSublayer(square(Rect(0, 0, 9, 9), Color(1, 1, 1, 0), 4.5));
        root->layer()->addSublayer(cloud);
        Compositor compositor;
        compositor.render(*root, 0);
        EXPECT_EQ(compositor.picturesRasterised(), puffs == 1 ? 0u : 1u);
        // The disc spans columns 3-11 and, counted from the top, rows 16-13 = 3 to 11.
        double coverage = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const Pixel p = pixelAt(compositor, x, y);
                coverage += p.r / 255.0;
                const bool inside = x >= 3 && x <= 11 && y >= 3 && y <= 11;
                if (!inside) {
                    ASSERT_EQ(p.r, 0) << x << ", " << y;
                }
            }
        EXPECT_NEAR(coverage, std::numbers::pi * 4.5 * 4.5, 1.0);
        for (int y = 3; y <= 11; ++y)
            for (int x = 3; x <= 11; ++x) {
                const int v = pixelAt(compositor, x, y).r;
                ASSERT_NEAR(v, pixelAt(compositor, 14 - x, y).r, 2) << "mirror left-right";
                ASSERT_NEAR(v, pixelAt(compositor, x, 14 - y).r, 2) << "mirror up-down";
                ASSERT_NEAR(v, pixelAt(compositor, y, x).r, 2) << "mirror diagonal";
            }
        EXPECT_EQ(pixelAt(compositor, 7, 7).r, 255);
        EXPECT_LT(pixelAt(compositor, 3, 3).r, 40) << "corners stay mostly dark";
    }
}

TEST(CompositorTest, GroupOpacityBlendsAnOverlappingPairOnceForLayersAndViews) {
    {
        SCOPED_TRACE("a layer and its sublayers");
        auto root = layeredView(Rect(0, 0, 30, 10), white);
        auto group = std::make_shared<Layer>();
        group->setFrame(Rect(0, 0, 30, 10));
        group->setOpacity(0.5f);
        group->addSublayer(square(Rect(0, 0, 20, 10), black));
        group->addSublayer(square(Rect(10, 0, 20, 10), black));
        root->layer()->addSublayer(group);
        Compositor compositor;
        compositor.render(*root, 0);
        expectPixel(pixelAt(compositor, 5, 5), 127, 127, 127, 1);
        SCOPED_TRACE("the overlap is not darker");
        expectPixel(pixelAt(compositor, 15, 5), 127, 127, 127, 1);
        expectPixel(pixelAt(compositor, 25, 5), 127, 127, 127, 1);
    }
    {
        SCOPED_TRACE("a fading view and its subviews");
        auto root = layeredView(Rect(0, 0, 30, 10), white);
        auto fading = std::make_shared<View>(Rect(0, 0, 30, 10));
        fading->setWantsLayer(true);
        fading->layer()->setOpacity(0.5f);
        fading->addSubview(layeredView(Rect(0, 0, 20, 10), black));
        fading->addSubview(layeredView(Rect(10, 0, 20, 10), black));
        root->addSubview(fading);
        Compositor compositor;
        compositor.render(*root, 0);
        expectPixel(pixelAt(compositor, 5, 5), 127, 127, 127, 1);
        expectPixel(pixelAt(compositor, 15, 5), 127, 127, 127, 1);
    }
}

TEST(CompositorTest, SubviewsAreClippedToTheirViewButSublayersToNothingElse) {
    auto root = layeredView(Rect(0, 0, 30, 30), white);
    auto window = layeredView(Rect(10, 10, 10, 10), blue);
    window->layer()->addSublayer(square(Rect(-5, 2, 30, 2), red));
    root->addSubview(window);
    Compositor compositor;
    compositor.render(*root, 0);
    // The bar lies at y 12-14 (rows 16-17 from the top), x from 5 to 35 in the root.
    expectPixel(pixelAt(compositor, 9, 16), 255, 255, 255);
    expectPixel(pixelAt(compositor, 10, 16), 255, 0, 0);
    expectPixel(pixelAt(compositor, 19, 16), 255, 0, 0);
    expectPixel(pixelAt(compositor, 20, 16), 255, 255, 255);
}

TEST(CompositorTest, OnlyChangesAreRedrawnAndNothingWhenNothingChanged) {
    auto root = layeredView(Rect(0, 0, 100, 50), white);
    auto box = square(Rect(10, 10, 10, 10), red);
    root->layer()->addSublayer(box);
    Compositor compositor;
    EXPECT_EQ(compositor.render(*root, 0), (std::vector<PixelRect>{{0, 0, 100, 50}}));
    EXPECT_TRUE(compositor.render(*root, 1).empty());
    box->setFrame(Rect(30.5, 10, 10, 10));
    const auto redrawn = compositor.render(*root, 2);
    ASSERT_FALSE(redrawn.empty());
    int area = 0;
    for (const auto& r : redrawn) {
        area += r.width * r.height;
        EXPECT_GE(r.y, 30);
        EXPECT_LE(r.y + r.height, 40);
    }
    EXPECT_EQ(area, 10 * 10 + 11 * 10) << "the old place and the new one";
    expectPixel(pixelAt(compositor, 15, 35), 255, 255, 255);
    expectPixel(pixelAt(compositor, 35, 35), 255, 0, 0);
    {
        SCOPED_TRACE("setting the same values is no change");
        box->setFrame(Rect(30.5, 10, 10, 10));
        box->setBackgroundColor(red);
        EXPECT_TRUE(compositor.render(*root, 3).empty());
    }
}

TEST(CompositorTest, AnimatedGradientRedrawsOnlyWhenItsShownColoursChange) {
    auto root = layeredView(Rect(0, 0, 64, 64), black);
    auto gradient = std::make_shared<GradientLayer>();
    gradient->setFrame(root->bounds());
    gradient->setColors({Color(0, 0, 0), Color(0, 0, 0)});
    root->layer()->addSublayer(gradient);
    Compositor compositor;
    compositor.render(*root, 0);
    Transaction::begin();
    Transaction::setAnimationDuration(255);
    BasicAnimation change("colors");
    change.setFromValue(gradient->colors());
    change.setToValue(std::vector<Color>{Color(1, 0, 0), Color(1, 0, 0)});
    gradient->setColors({Color(1, 0, 0), Color(1, 0, 0)});
    gradient->addAnimation(change, "colors");
    Transaction::commit();
    const double begin = *gradient->animationForKey("colors")->beginTime();
    // Linear over 255 s: one 8-bit step of red per second.
    int redraws = 0;
    for (int tenth = 1; tenth <= 100; ++tenth)
        if (!compositor.render(*root, begin + tenth * 0.1).empty())
            ++redraws;
    EXPECT_EQ(redraws, 10) << "ten seconds, ten visible steps";
    EXPECT_EQ(pixelAt(compositor, 5, 5).r, 10);
    EXPECT_FALSE(compositor.render(*root, begin + 300).empty()) << "the end shows the model value";
    EXPECT_EQ(pixelAt(compositor, 5, 5).r, 255);
    EXPECT_FALSE(gradient->hasAnimations()) << "the ended animation is gone";
    EXPECT_TRUE(compositor.render(*root, begin + 301).empty());
}

TEST(CompositorTest, IncrementalFramesEqualAFullRedrawOfTheSameMoment) {
    // Two identical trees: one rendered every frame, one drawn afresh to compare.
    struct Scene {
        std::shared_ptr<View> root = layeredView(Rect(0, 0, 80, 60), Color(0.2, 0.4, 0.8));
        std::shared_ptr<View> fading = layeredView(Rect(30, 10, 40, 30), Color(1, 1, 1, 0.5));
        std::shared_ptr<Layer> cloud = std::make_shared<Layer>();
        std::shared_ptr<GradientLayer> gradient = std::make_shared<GradientLayer>();
        Scene() {
            gradient->setFrame(Rect(0, 0, 30, 60));
            gradient->setColors({Color(1, 0.5, 0), Color(0.1, 0, 0.3)});
            root->layer()->addSublayer(gradient);
            cloud->setFrame(Rect(0, 20, 30, 20));
            for (int i = 0; i < 40; ++i)
                cloud->addSublayer(
                    square(Rect(i % 8 * 3, i / 8 * 3, 9, 9), Color(1, 1, 1, 0.02 * (i % 10)), 4.5));
            root->layer()->addSublayer(cloud);
            fading->layer()->addSublayer(square(Rect(5, 5, 7, 7), red, 3.5));
            root->addSubview(fading);
        }
        void step(int frame) {
            cloud->setFrame(Rect(frame * 0.37, 20 + frame * 0.11, 30, 20));
            if (frame == 3)
                fading->layer()->setOpacity(0.6f);
            if (frame == 5)
                gradient->setTransform(Transform::makeRotation(std::numbers::pi / 2));
            if (frame == 7)
                cloud->sublayers()[3]->setBackgroundColor(blue);
            if (frame == 8)
                fading->removeFromSuperview();
        }
    };
    Scene live, reference;
    Compositor compositor;
    for (int frame = 0; frame < 10; ++frame) {
        SCOPED_TRACE(frame);
        live.step(frame);
        reference.step(frame);
        compositor.render(*live.root, frame);
        Compositor fresh;
        fresh.render(*reference.root, frame);
        ASSERT_TRUE(sameImages(compositor, fresh));
    }
}

TEST(CompositorTest, TextIsDrawnCentredInItsColour) {
    auto root = layeredView(Rect(0, 0, 200, 60), white);
    auto text = std::make_shared<TextLayer>();
    text->setFrame(root->bounds());
    text->setText("Loading\nthe sky");
    text->setForegroundColor(Color(0, 0, 1, 0.5));
    root->layer()->addSublayer(text);
    Compositor compositor;
    compositor.render(*root, 0);
    int left = 200, right = -1, top = 60, bottom = -1, darkest = 255;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x) {
            const Pixel p = pixelAt(compositor, x, y);
            if (p.r < 250) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
                darkest = std::min(darkest, p.r);
                EXPECT_EQ(p.b, 255) << "blue over white only loses red and green";
            }
        }
    ASSERT_GE(right, left) << "some text was drawn";
    EXPECT_NEAR((left + right) / 2.0, 100, 3);
    EXPECT_NEAR((top + bottom) / 2.0, 30, 3);
    EXPECT_GT(bottom - top, 20) << "two lines";
    EXPECT_NEAR(darkest, 128, 3) << "at half opacity";
}

TEST(CompositorTest, PicturesOverAPlainFillMatchPicturesOverTheSameColourDrawnAnotherWay) {
    // A plain opaque fill is deferred and pictures over it are copied
    // pre-composited; a gradient of that one colour takes the ordinary path.
    // Static, so that the scene class below can use it.
    static const Color sky(164 / 255.0, 221 / 255.0, 250 / 255.0);
    struct Scene {
        std::shared_ptr<View> root;
        std::vector<std::shared_ptr<Layer>> clouds;
        explicit Scene(bool plain) {
            root = layeredView(Rect(0, 0, 90, 70), plain ? sky : Color());
            if (!plain) {
                auto gradient = std::make_shared<GradientLayer>();
                gradient->setFrame(root->bounds());
                gradient->setColors({sky, sky});
                root->layer()->addSublayer(gradient);
            }
            for (int c = 0; c < 3; ++c) {
                auto cloud = std::make_shared<Layer>();
                for (int i = 0; i < 30; ++i)
                    cloud->addSublayer(square(Rect(i % 6 * 4, i / 6 * 4, 9, 9),
                                              Color(0.98, 0.98, 0.98, 0.03 * (1 + i % 7)), 4.5));
                cloud->setFrame(Rect(10 + 20 * c, 15 + 7 * c, 30, 28));
                root->layer()->addSublayer(cloud);
                clouds.push_back(cloud);
            }
        }
        void step(int frame) {
            for (std::size_t c = 0; c < clouds.size(); ++c) {
                Rect f = clouds[c]->frame();
                f.origin.x -= 0.3 + 0.2 * static_cast<double>(c) + (frame == 4 ? 3 : 0);
                clouds[c]->setFrame(f);
            }
        }
    };
    Scene plain(true), gradient(false);
    Compositor a, b;
    for (int frame = 0; frame < 12; ++frame) {
        SCOPED_TRACE(frame);
        plain.step(frame);
        gradient.step(frame);
        a.render(*plain.root, frame);
        b.render(*gradient.root, frame);
        ASSERT_TRUE(sameImages(a, b));
    }
    EXPECT_EQ(a.picturesRasterised(), 3u);
    // Sanity: a cloud really is there, lighter than the sky.
    EXPECT_GT(pixelAt(a, 20, 40).r, 164);
}

TEST(CompositorTest, AViewWithTheNullRectangleShowsNothingAndHarmsNothing) {
    auto root = layeredView(Rect(0, 0, 40, 30), white);
    auto nowhere = layeredView(Rect(0, 0, 40, 30).insetBy(30, 30), red);
    ASSERT_TRUE(nowhere->frame().isNull());
    auto cloud = std::make_shared<Layer>();
    for (int i = 0; i < 20; ++i)
        cloud->addSublayer(square(Rect(i, 0, 9, 9), blue, 4.5));
    cloud->setFrame(Rect(0.5, 0.5, 30, 9));
    nowhere->layer()->addSublayer(cloud);
    nowhere->layer()->addSublayer(square(Rect(1, 1, 5, 5), blue));
    root->addSubview(nowhere);
    Compositor compositor;
    compositor.render(*root, 0);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(pixelAt(compositor, x, y).g, 255) << x << ", " << y;
    cloud->setFrame(Rect(1.5, 0.5, 30, 9));
    EXPECT_TRUE(compositor.render(*root, 1).empty());
    nowhere->setFrame(Rect(10, 10, 20, 10));
    EXPECT_FALSE(compositor.render(*root, 2).empty());
    int reds = 0;
    for (int y = 10; y < 20; ++y)
        for (int x = 10; x < 30; ++x)
            reds += pixelAt(compositor, x, y).r == 255 && pixelAt(compositor, x, y).b == 0;
    EXPECT_GT(reds, 0) << "once placed, the view shows";
}

TEST(CompositorTest, ASmallDiscRedrawsOnlyWhenItLeavesItsQuarterPixel) {
    auto root = layeredView(Rect(0, 0, 40, 20), black);
    auto star = square(Rect(10.0, 5, 2, 2), white, 1);
    root->layer()->addSublayer(star);
    Compositor compositor;
    compositor.render(*root, 0);
    int redraws = 0;
    // 0.01 a frame: the place rounds to 10.0 up to 10.12, to 10.25 from 10.13.
    for (int frame = 1; frame <= 20; ++frame) {
        star->setFrame(Rect(10.0 + frame * 0.01, 5, 2, 2));
        const auto redrawn = compositor.render(*root, frame);
        if (redrawn.empty())
            continue;
        ++redraws;
        EXPECT_EQ(frame, 13) << "only on crossing the half-way point";
        for (const auto& r : redrawn) {
            EXPECT_GE(r.x, 10);
            EXPECT_LE(r.x + r.width, 13);
        }
    }
    EXPECT_EQ(redraws, 1);
    SCOPED_TRACE("a twinkle by a sixteenth of a pixel shows, by a hundredth it does not");
    star->setFrame(Rect(10.2, 5, 2.003, 2.003));
    star->setCornerRadius(1.0015);
    EXPECT_TRUE(compositor.render(*root, 30).empty());
    star->setFrame(Rect(10.2, 5, 2.0625, 2.0625));
    star->setCornerRadius(1.03125);
    EXPECT_FALSE(compositor.render(*root, 31).empty());
}
