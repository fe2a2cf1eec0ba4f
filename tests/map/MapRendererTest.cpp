#include "map/MapRenderer.h"

#include "support/Pixels.h"

#include <cmath>
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

using namespace aerolune;
using aerolune::test::Pixels;
using aerolune::test::Rgb;

namespace {

Rgb rgb(MapRenderer::Colour c) {
    return {int(std::lround(c.red * 255)), int(std::lround(c.green * 255)),
            int(std::lround(c.blue * 255))};
}

// The share of a block of the map (all of it by default) that shows a colour.
double share(const MapRenderer::Surface& map, MapRenderer::Colour colour, int x = 0, int y = 0,
             int w = MapRenderer::width, int h = MapRenderer::height) {
    const Pixels pixels(map.get());
    return double(pixels.count(x, y, w, h, [&](Rgb p) { return near(p, rgb(colour), 3); })) /
           (w * h);
}

MapRenderer::Surface shipped(CLLocationCoordinate2D centre) {
    EXPECT_TRUE(Shoreline::shared() && Gazetteer::shared()) << "the map's data is missing";
    return MapRenderer(Shoreline::shared().valueOr(nullptr), Gazetteer::shared().valueOr(nullptr))
        .render(centre);
}

// The marker fills a few pixels around the centre, and no more.
void expectMarkerAtTheCentre(const MapRenderer::Surface& map, int scale = 1) {
    const Pixels pixels(map.get());
    const int x = scale * MapRenderer::width / 2, y = scale * MapRenderer::height / 2;
    for (const auto& [dx, dy] : {std::pair{0, 0}, {-2, 0}, {2, 0}, {0, -2}, {0, 2}})
        EXPECT_TRUE(near(pixels.at(x + dx, y + dy), rgb(MapRenderer::marker), 3)) << dx << dy;
    EXPECT_FALSE(near(pixels.at(x + 8 * scale, y), rgb(MapRenderer::marker), 3));
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

} // namespace

TEST(MapRendererTest, CoastsLieWhereTheyAreWithTheMarkerAtTheCentre) {
    const auto lisbon = shipped({38.71667, -9.13333});
    EXPECT_GT(share(lisbon, MapRenderer::water, 0, 0, 30, 30), 0.8) << "the ocean off Cascais";
    EXPECT_GT(share(lisbon, MapRenderer::land, 150, 0, 50, 25), 0.6) << "inland, north-east";
    expectMarkerAtTheCentre(lisbon);
    const auto chicago = shipped({41.85003, -87.65005});
    EXPECT_GT(share(chicago, MapRenderer::water, 170, 10, 30, 40), 0.9) << "the lake";
    EXPECT_LT(share(chicago, MapRenderer::water, 0, 0, 50, 100), 0.02) << "the prairie";
    SCOPED_TRACE("bins meet without seams: four of land, four of sea, across the antimeridian");
    EXPECT_EQ(share(shipped({40.0, -100.0}), MapRenderer::water), 0.0);
    EXPECT_EQ(share(shipped({0.0, -30.0}), MapRenderer::land), 0.0);
    const auto fiji = shipped({-16.6, 179.95});
    EXPECT_GT(share(fiji, MapRenderer::land, 100, 0, 100, 100), 0.0);
    EXPECT_GT(share(fiji, MapRenderer::water), 0.0);
}

TEST(MapRendererTest, WithoutDataTheMapIsSeaAndTheMarkerAtAnyScale) {
    const auto map = MapRenderer(nullptr, nullptr).render({38.71667, -9.13333}, 2);
    ASSERT_EQ(cairo_image_surface_get_width(map.get()), 2 * MapRenderer::width);
    EXPECT_EQ(share(map, MapRenderer::land, 0, 0, 2 * MapRenderer::width, 2 * MapRenderer::height),
              0.0);
    EXPECT_TRUE(near(Pixels(map.get()).at(5, 5), rgb(MapRenderer::water), 3));
    expectMarkerAtTheCentre(map, 2);
}
