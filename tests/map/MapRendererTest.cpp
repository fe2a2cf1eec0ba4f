#include "map/MapRenderer.h"

#include "support/Pixels.h"

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

using namespace aerolune;
using aerolune::test::Pixels;
using aerolune::test::Rgb;

// The share of a block of the map (all of it by default) that shows a colour.
double share(const MapRenderer::Surface& map, MapRenderer::Colour c, int x = 0, int y = 0,
             int w = MapRenderer::width, int h = MapRenderer::height) {
    const Rgb colour{int(c.red * 255 + 0.5), int(c.green * 255 + 0.5), int(c.blue * 255 + 0.5)};
    return Pixels(map.get()).count(x, y, w, h, [&](Rgb p) { return near(p, colour, 3); }) /
           double(w * h);
}

// Cairo's font caches and fontconfig's configuration live until the process
// ends; letting them go at the end keeps the leak checker to real leaks.
class FontCaches : public ::testing::Environment {
    void TearDown() override {
        cairo_debug_reset_static_data();
        FcFini();
    }
};
const auto* const kFontCaches = ::testing::AddGlobalTestEnvironment(new FontCaches);

TEST(MapRendererTest, CoastsLieWhereTheyAreWithTheMarkerAtTheCentre) {
    ASSERT_TRUE(Shoreline::shared() && Gazetteer::shared()) << "the map's data is missing";
    const MapRenderer renderer;
    const auto lisbon = renderer.render({38.71667, -9.13333});
    EXPECT_GT(share(lisbon, MapRenderer::water, 0, 0, 30, 30), 0.8) << "the ocean off Cascais";
    EXPECT_GT(share(lisbon, MapRenderer::land, 150, 0, 50, 25), 0.6) << "inland, north-east";
    EXPECT_EQ(share(lisbon, MapRenderer::marker, 99, 49, 3, 3), 1.0) << "the marker";
    EXPECT_EQ(share(lisbon, MapRenderer::marker, 108, 40, 20, 20), 0.0) << "a marker too large";
    const auto chicago = renderer.render({41.85003, -87.65005});
    EXPECT_GT(share(chicago, MapRenderer::water, 170, 10, 30, 40), 0.9) << "the lake";
    EXPECT_LT(share(chicago, MapRenderer::water, 0, 0, 50, 100), 0.02) << "the prairie";
    SCOPED_TRACE("bins meet without seams: four of land, four of sea, across the antimeridian");
    EXPECT_EQ(share(renderer.render({40.0, -100.0}), MapRenderer::water), 0.0);
    EXPECT_EQ(share(renderer.render({0.0, -30.0}), MapRenderer::land), 0.0);
    const auto fiji = renderer.render({-16.6, 179.95});
    EXPECT_GT(share(fiji, MapRenderer::land, 100, 0, 100, 100), 0.0);
    EXPECT_GT(share(fiji, MapRenderer::water), 0.0);
    // Without data the map is sea, and the marker at any scale.
    const auto map = MapRenderer(nullptr, nullptr).render({38.71667, -9.13333}, 2);
    ASSERT_EQ(cairo_image_surface_get_width(map.get()), 400);
    EXPECT_EQ(share(map, MapRenderer::land, 0, 0, 400, 200), 0.0);
    EXPECT_EQ(share(map, MapRenderer::water, 0, 0, 50, 50), 1.0);
    EXPECT_EQ(share(map, MapRenderer::marker, 197, 97, 7, 7), 1.0);
}
