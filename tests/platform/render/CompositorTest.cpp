#include "platform/render/Compositor.h"

#include "platform/view/GradientLayer.h"
#include "platform/view/TextLayer.h"
#include "support/Pixels.h"
#include "support/ScopedEnvironment.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <numbers>
#include <random>
#include <tuple>
#include <vector>

using namespace aerolune;
using test::Rgb;

namespace {

const Color white(1, 1, 1), black(0, 0, 0), red(1, 0, 0), green(0, 1, 0), blue(0, 0, 1);
constexpr double quarterTurn = std::numbers::pi / 2;

std::shared_ptr<View> layeredView(const Rect& frame, const Color& background) {
    auto view = std::make_shared<View>(frame);
    view->setWantsLayer(true);
    view->layer()->setBackgroundColor(background);
    return view;
}

template <typename Kind = Layer>
std::shared_ptr<Kind> square(const Rect& frame, const Color& color, double radius = 0) {
    auto layer = std::make_shared<Kind>();
    layer->setFrame(frame);
    layer->setBackgroundColor(color);
    layer->setCornerRadius(radius);
    return layer;
}

// Enough translucent puffs for the compositor to give the cloud a picture.
// Puffs of one colour, near white unless told.
std::shared_ptr<Layer> cloud(const Rect& frame, double green = 0.98) {
    auto cloud = square(frame, Color());
    for (int i = 0; i < 30; ++i)
        cloud->addSublayer(square(Rect(i % 6 * 4, i / 6 * 4, 9, 9),
                                  Color(0.98, green, 1, 0.03 * (1 + i % 7)), 4.5));
    return cloud;
}

// The pixel at (x, y) counted up from the bottom row, as the views count.
Rgb at(const Compositor& compositor, int x, int y) {
    return test::Pixels(compositor.image()).pointAt(x, y);
}

// The tree drawn afresh; the picture outlives the compositor.
test::Pixels drawn(View& root, double scale = 1, double now = 0) {
    Compositor compositor;
    compositor.setScale(scale);
    compositor.render(root, now);
    return test::Pixels(compositor.image());
}

// Whether two pictures of one size are alike pixel for pixel.
testing::AssertionResult alike(const test::Pixels& shown, const test::Pixels& expected) {
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            if (shown.at(x, y) != expected.at(x, y))
                return testing::AssertionFailure()
                       << describe(shown.at(x, y)) << " at " << x << ", " << y << " for "
                       << describe(expected.at(x, y));
    return testing::AssertionSuccess();
}

} // namespace

TEST(CompositorTest, AViewClipsWhatItHoldsAndGroupOpacityBlendsAnOverlappingPairOnce) {
    auto root = layeredView(Rect(0, 0, 30, 10), white);
    auto window = layeredView(Rect(10, 0, 10, 10), blue);
    window->layer()->addSublayer(square(Rect(-5, 2, 20, 2), red)); // spills both ways
    window->addSubview(layeredView(Rect(5, 5, 20, 5), green));     // spills right
    root->addSubview(window);
    const auto image = drawn(*root);
    for (int x = 0; x < 30; ++x) {
        const bool inside = x >= 10 && x < 20;
        EXPECT_EQ(image.pointAt(x, 3), test::rgbOf(inside ? red : white)) << x;
        EXPECT_EQ(image.pointAt(x, 7), test::rgbOf(inside ? x >= 15 ? green : blue : white)) << x;
    }
    // Group opacity blends an overlapping pair once.
    for (const bool views : {false, true}) {
        SCOPED_TRACE(views ? "a fading view and its subviews" : "a layer and its sublayers");
        auto backdrop = layeredView(Rect(0, 0, 30, 10), white);
        auto fading = layeredView(Rect(0, 0, 30, 10), Color());
        auto group = square(Rect(0, 0, 30, 10), Color());
        backdrop->addSubview(fading);
        backdrop->layer()->addSublayer(group);
        (views ? fading->layer() : group.get())->setOpacity(0.5f);
        for (const double x : {0, 10})
            views ? fading->addSubview(layeredView(Rect(x, 0, 20, 10), black))
                  : group->addSublayer(square(Rect(x, 0, 20, 10), black));
        const auto blended = drawn(*backdrop);
        for (const int x : {5, 15, 25}) // 15: the overlap, not darker
            EXPECT_TRUE(near(blended.pointAt(x, 5), {127, 127, 127}, 1)) << x;
    }
}

TEST(CompositorTest, ADiscCoversItsAreaSymmetricallyYUpDrawnDirectlyOrInAPicture) {
    for (const int puffs : {1, 20}) {
        SCOPED_TRACE(puffs == 1 ? "drawn directly" : "rasterised into a picture");
        auto root = layeredView(Rect(0, 0, 16, 16), black);
        auto group = square(Rect(3, 4, 9, 9), Color());
        group->addSublayer(square(Rect(0, 0, 9, 9), white, 4.5));
        for (int i = 1; i < puffs; ++i) // clear companions make a subtree big enough for a picture
            group->addSublayer(square(Rect(0, 0, 9, 9), Color(1, 1, 1, 0), 4.5));
        root->layer()->addSublayer(group);
        Compositor image;
        image.render(*root, 0);
        EXPECT_EQ(image.picturesRasterised(), puffs == 1 ? 0u : 1u);
        double coverage = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const int value = at(image, x, y).r;
                coverage += value / 255.0;
                const bool inside = x >= 3 && x <= 11 && y >= 4 && y <= 12; // mirrored, or dark:
                ASSERT_TRUE(inside ? std::abs(value - at(image, 14 - x, y).r) <= 2 &&
                                         std::abs(value - at(image, x, 16 - y).r) <= 2
                                   : value == 0)
                    << x << ", " << y;
            }
        EXPECT_NEAR(coverage, std::numbers::pi * 4.5 * 4.5, 1.0);
        EXPECT_EQ(at(image, 7, 8).r, 255);
    }
}

TEST(CompositorTest, OnlyWhatShowsDifferentlyIsRedrawn) {
    auto root = layeredView(Rect(0, 0, 100, 50), black);
    auto box = square(Rect(10, 10, 10, 10), red), star = square(Rect(60.0, 30, 2, 2), white, 1);
    root->layer()->addSublayer(box);
    root->layer()->addSublayer(star);
    Compositor compositor;
    EXPECT_EQ(compositor.render(*root, 0), (std::vector<PixelRect>{{0, 0, 100, 50}}));
    EXPECT_TRUE(compositor.render(*root, 1).empty());
    box->setFrame(Rect(30.5, 10, 10, 10));
    int area = 0;
    for (const auto& r : compositor.render(*root, 2))
        area += r.y == 30 && r.height == 10 ? r.width * r.height : 1000;
    EXPECT_EQ(area, 10 * 10 + 11 * 10) << "the old place and the new one";
    // A small disc drifting 0.01 a frame shows at 60 up to 60.12, at 60.25 from 60.13.
    for (int frame = 1; frame <= 14; ++frame) {
        star->setFrame(Rect(60.0 + frame * 0.01, 30, 2, 2));
        const auto redrawn = compositor.render(*root, 2 + frame);
        EXPECT_EQ(redrawn.empty(), frame != 13) << frame;
        for (const auto& r : redrawn)
            EXPECT_TRUE(r.x >= 60 && r.x + r.width <= 63 && r.y >= 18 && r.y + r.height <= 20);
    }
    // Colours as the screen shows them: in 8 bits, 100.4 is 100 and 100.6 is 101.
    // (A small round gradient is no shape to stamp: its colours show.)
    auto gradient = square<GradientLayer>(Rect(0, 0, 5, 5), Color(), 2.5);
    root->layer()->addSublayer(gradient);
    for (const auto& [red, redraws] : {std::pair{100.0, true}, {100.4, false}, {100.6, true}}) {
        gradient->setColors({Color(red / 255, 0, 0), Color(red / 255, 0, 0)});
        EXPECT_EQ(compositor.render(*root, 22).empty(), !redraws) << red;
    }
    EXPECT_EQ(at(compositor, 2, 2).r, 101);
    // Pixels that went stale (memory that was away) are drawn again, not reported.
    const std::size_t bytes = std::size_t(cairo_image_surface_get_stride(compositor.image())) * 50;
    std::memset(cairo_image_surface_get_data(compositor.image()), 0x40, bytes);
    EXPECT_TRUE(compositor.render(*root, 23, {}, {{0, 40, 100, 10}}).empty());
    EXPECT_EQ(at(compositor, 2, 2).r, 101);
    EXPECT_EQ(at(compositor, 2, 20).r, 0x40) << "beyond the stale pixels";
    // Or copied from memory that holds the last frame, where this one draws nothing.
    std::vector<unsigned char> last(bytes, 0x7f);
    box->setFrame(Rect(30.5, 20, 10, 10));
    const auto moved =
        compositor.render(*root, 24, {}, {{0, 0, 100, 15}, {30, 18, 20, 4}}, last.data());
    EXPECT_EQ(moved, (std::vector<PixelRect>{{30, 20, 11, 20}})) << "what is drawn";
    for (const auto& [x, y, red, what] : {std::tuple{2, 2, 101, "neither"},
                                          {2, 40, 0x7f, "stale"},
                                          {35, 31, 0x7f, "stale, above"},
                                          {45, 29, 0x7f, "stale, beside"},
                                          {35, 29, 255, "stale and drawn: the box"},
                                          {35, 15, 0, "drawn: where the box was"}})
        EXPECT_EQ(at(compositor, x, y).r, red) << what;
}

TEST(CompositorTest, AtScaleTwoEachThingCoversFourTimesThePixelsWithEdgesAsSharpAndStepsAsLong) {
    auto root = layeredView(Rect(0, 0, 60, 40), black);
    auto window = layeredView(Rect(7.5, 8, 30, 14), white); // the inset margin: half a point
    auto text = square<TextLayer>(Rect(40, 30, 20, 10), Color());
    text->setText("Ag");
    text->setFontSize(8);
    auto cloud = square(Rect(20, 30, 9, 9), Color()); // puffs enough for a picture
    for (int i = 0; i < 20; ++i)
        cloud->addSublayer(square(Rect(0, 0, 9, 9), Color(1, 1, 1, i ? 0 : 1), 4.5));
    for (const auto& layer : std::initializer_list<std::shared_ptr<Layer>>{
             text, cloud, square(Rect(2.3, 30.2, 2.5, 2.5), white, 1.25)}) // and a star
        root->layer()->addSublayer(layer);
    root->addSubview(window);
    const auto one = drawn(*root), two = drawn(*root, 2);
    ASSERT_EQ(std::pair(two.width(), two.height()), std::pair(120, 80));
    // Coverage in 255ths and the pixels only partly covered, over a region of points.
    const auto measure = [](const test::Pixels& image, int scale, const Rect& r) {
        int coverage = 0, partial = 0;
        image.count(int(r.minX()) * scale, image.height() - int(r.maxY()) * scale,
                    int(r.width()) * scale, int(r.height()) * scale, [&](Rgb p) {
                        coverage += p.g;
                        partial += p.g > 8 && p.g < 247;
                        return true;
                    });
        return std::pair(coverage, partial);
    };
    for (const auto& [name, region] : {std::pair{"inset margin", Rect(0, 10, 60, 10)},
                                       {"text", Rect(40, 30, 20, 10)},
                                       {"cloud", Rect(19, 29, 11, 11)},
                                       {"star", Rect(1, 29, 5, 5)}}) {
        SCOPED_TRACE(name);
        const auto [coverage1, partial1] = measure(one, 1, region);
        const auto [coverage2, partial2] = measure(two, 2, region);
        EXPECT_NEAR(coverage2, 4.0 * coverage1, 0.08 * coverage2) << "four times the area";
        EXPECT_LE(partial2, 2.6 * partial1) << "edges of one pixel, not enlarged";
    }
    EXPECT_TRUE((two.at(14, 50) == Rgb{0, 0, 0} && two.at(15, 50) == Rgb{255, 255, 255}));
    Compositor moved; // to a screen of another scale: nothing of the old one stays
    moved.render(*root, 0);
    moved.setScale(2);
    moved.render(*root, 1);
    EXPECT_TRUE(alike(test::Pixels(moved.image()), two));
    // A cloud goes on half-point steps at any scale: drifting a quarter point a
    // frame it is redrawn every other frame, as often at scale 2 as at scale 1.
    for (const double scale : {1.0, 2.0}) {
        Compositor drifting;
        drifting.setScale(scale);
        drifting.render(*root, 0);
        int redraws = 0;
        for (int frame = 1; frame <= 8; ++frame) {
            cloud->setFrame(Rect(20 - 0.25 * frame, 30, 9, 9));
            redraws += !drifting.render(*root, frame).empty();
        }
        EXPECT_EQ(redraws, 4) << scale;
        cloud->setFrame(Rect(20, 30, 9, 9));
    }
}

// Trees built alike, one drawn frame after frame, another afresh each frame;
// the sky is a plain fill (drawn deferred, clouds copied onto it
// pre-composited) or a gradient of that one colour (drawn the ordinary way).
struct Scene {
    std::shared_ptr<View> root, fading = layeredView(Rect(50, 10, 40, 30), Color(1, 1, 1, 0.5)),
                                nowhere = layeredView(Rect(0, 0, 9, 9).insetBy(30, 30), green);
    std::shared_ptr<Layer> clouds[3] = {cloud(Rect(10, 15, 30, 28)), cloud(Rect(30, 22, 30, 28)),
                                        cloud(Rect(50, 29, 30, 28))},
                           star = square(Rect(20.3, 50.1, 2.5, 2.5), white, 1.25);
    std::shared_ptr<TextLayer> text = square<TextLayer>(Rect(5, 5, 60, 20), Color());

    explicit Scene(bool plainSky) {
        const Color sky(164 / 255.0, 221 / 255.0, 250 / 255.0);
        root = layeredView(Rect(0, 0, 100, 70), plainSky ? sky : black);
        auto gradient = square<GradientLayer>(root->bounds(), Color());
        if (!plainSky)
            gradient->setColors({sky, sky});
        for (const auto& layer : std::initializer_list<std::shared_ptr<Layer>>{
                 gradient, clouds[0], clouds[1], star, text})
            root->layer()->addSublayer(layer);
        fading->layer()->addSublayer(clouds[2]);
        fading->layer()->addSublayer(square(Rect(5, 5, 7, 7), red, 3.5));
        nowhere->layer()->addSublayer(cloud(Rect(15, 0.5, 30, 28)));
        root->addSubview(fading);
        root->addSubview(nowhere);
        text->setText("Aerolune");
        BasicAnimation fade("opacity"); // shown at 0, over from 0.25 on
        fade.setFromValue(0.2);
        fade.setToValue(1.0);
        fading->layer()->addAnimation(fade, "fade");
    }
    void step(int frame) {
        for (int c = 0; c < 3; ++c)
            clouds[c]->setFrame(clouds[c]->frame().offsetBy(-0.3 - 0.2 * c - (frame == 4) * 3, 0));
        star->setFrame(Rect(20.3 + frame * 0.07, 50.1, 2.5 + frame % 3 * 0.05, 2.5));
        if (frame == 2)
            fading->layer()->setOpacity(0.6f);
        if (frame == 3)
            clouds[0]->sublayers()[3]->setBackgroundColor(blue);
        if (frame == 5)
            clouds[1]->setTransform(Transform::makeRotation(quarterTurn));
        if (frame == 6)
            text->setText("Aerolune test"); // two lines, more than the layer holds
        if (frame == 7)
            nowhere->setFrame(Rect(60, 40, 30, 25));
        if (frame == 8)
            star->setHidden(true);
        if (frame == 9)
            fading->removeFromSuperview();
    }
};

TEST(CompositorTest, EachFrameDrawnOverTheLastEqualsAFullRedrawOfTheSameMoment) {
    test::ScopedManualClock clock(0); // animations begin at 0
    Scene plain(true), reference(true), gradient(false);
    Compositor compositor, gradientCompositor;
    const auto isGreen = [](const Rgb& p) { return p == Rgb{0, 255, 0}; };
    for (int frame = 0; frame < 12; ++frame) {
        SCOPED_TRACE(frame);
        for (Scene* scene : {&plain, &reference, &gradient})
            scene->step(frame);
        if (frame == 5) // a second compositor of the tree settles its changes first
            Compositor().render(*plain.root, frame);
        compositor.render(*plain.root, frame);
        gradientCompositor.render(*gradient.root, frame);
        const test::Pixels shown(compositor.image());
        ASSERT_TRUE(alike(shown, drawn(*reference.root, 1, frame)));
        ASSERT_TRUE(alike(shown, test::Pixels(gradientCompositor.image())));
        EXPECT_EQ(shown.count(0, 0, 100, 70, isGreen) > 0, frame >= 7)
            << "the view with the null rectangle shows only once placed";
    }
    const auto dark = [](const Rgb& p) { return p.sum() < 100; };
    EXPECT_GT(test::Pixels(compositor.image()).count(5, 45, 60, 20, dark), 20) << "the text";
    EXPECT_GE(compositor.picturesRasterised(), 4u);
}

// Clouds of one colour over a plain sky, overlapping and overhanging its
// edges, drifting on the half-pixel grid; their green lies below the sky's,
// the rest above. Written together row by row, they
// show the exact composite of their coverages (each read alone, over black,
// in the blue channel) within a level; written one by one, each rounding once,
// within two; frame after frame, what a fresh drawing shows.
TEST(CompositorTest, CloudsOverAPlainSkyShowTheExactCompositeTogetherOneByOneAndAfresh) {
    const Color sky(0.2, 0.5, 0.9);
    const Rgb skyBytes = test::rgbOf(sky);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> across(-30, 110), up(-25, 60);
    std::vector<Point> places;
    for (int i = 0; i < 14; ++i)
        places.push_back({std::round(across(random) * 4) / 4, std::round(up(random) * 4) / 4});
    struct Sky {
        std::shared_ptr<View> root = layeredView(Rect(0, 0, 120, 80), black);
        std::vector<std::shared_ptr<Layer>> clouds;
        Sky(const Color& color, const std::vector<Point>& places, bool oneByOne) {
            auto window = layeredView(Rect(10, 10, 100, 60), color);
            root->addSubview(window);
            for (const Point& place : places) {
                clouds.push_back(cloud(Rect(place, Size{30, 26}), 0.3));
                window->layer()->addSublayer(clouds.back());
            }
            if (oneByOne) // a layer that is no picture: the clouds go one at a time
                window->layer()->addSublayer(square(Rect(0, 0, 1, 1), Color()));
        }
        void step(int frame) {
            for (std::size_t i = 0; i < clouds.size(); ++i) {
                const Rect f = clouds[i]->frame();
                clouds[i]->setFrame(Rect(f.minX() - 0.25 * (1 + i % 3), f.minY(), 30, 26));
                clouds[i]->setHidden(i == 3 && frame >= 2 && frame < 4);
            }
        }
    };
    for (const double scale : {1.0, 2.0}) {
        SCOPED_TRACE(scale);
        Sky together(sky, places, false), afresh(sky, places, false), oneByOne(sky, places, true),
            alone(black, places, false); // one cloud at a time, for its coverage
        Compositor kept, separately;
        kept.setScale(scale);
        separately.setScale(scale);
        for (int frame = 0; frame < 6; ++frame) {
            SCOPED_TRACE(frame);
            for (Sky* s : {&together, &afresh, &oneByOne, &alone})
                s->step(frame);
            std::vector<test::Pixels> coverages;
            for (std::size_t i = 0; i < places.size(); ++i) {
                for (std::size_t j = 0; j < places.size(); ++j)
                    alone.clouds[j]->setHidden(j != i || together.clouds[j]->isHidden());
                coverages.push_back(drawn(*alone.root, scale));
            }
            kept.render(*together.root, frame);
            separately.render(*oneByOne.root, frame);
            const test::Pixels shown(kept.image()), fresh = drawn(*afresh.root, scale),
                                                    one(separately.image());
            int clouded = 0;
            for (int y = 0; y < kept.height(); ++y)
                for (int x = 0; x < kept.width(); ++x) {
                    double through = 1;
                    for (const auto& coverage : coverages)
                        through *= 1 - coverage.at(x, y).b / 255.0;
                    const bool inside =
                        x >= 10 * scale && x < 110 * scale && y >= 10 * scale && y < 70 * scale;
                    const auto exact = [&](int cloud, int plain) {
                        return int(std::lround(cloud * (1 - through) + plain * through));
                    };
                    const Rgb expected = inside ? Rgb{exact(250, skyBytes.r), exact(77, skyBytes.g),
                                                      exact(255, skyBytes.b)}
                                                : Rgb{};
                    const Rgb p = shown.at(x, y);
                    ASSERT_EQ(p, fresh.at(x, y)) << x << ", " << y;
                    ASSERT_TRUE(near(p, expected, 1))
                        << x << ", " << y << ": " << describe(p) << " for " << describe(expected);
                    ASSERT_TRUE(near(one.at(x, y), expected, 2)) << x << ", " << y;
                    clouded += through < 0.9;
                }
            EXPECT_GT(clouded, kept.width() * kept.height() / 10);
        }
    }
}
