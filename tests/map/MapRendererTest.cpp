#include "map/MapRenderer.h"

#include <cmath>
#include <cstdlib>
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

using namespace aerolune;

namespace {

struct Rgb {
    int red, green, blue;
};

Rgb pixel(cairo_surface_t* surface, int x, int y) {
    const auto* row =
        cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    const auto value = reinterpret_cast<const std::uint32_t*>(row)[x];
    return {int(value >> 16 & 0xFF), int(value >> 8 & 0xFF), int(value & 0xFF)};
}

bool near(Rgb actual, MapRenderer::Colour expected) {
    return std::abs(actual.red - expected.red * 255) <= 3 &&
           std::abs(actual.green - expected.green * 255) <= 3 &&
           std::abs(actual.blue - expected.blue * 255) <= 3;
}

// Share of the pixels of a block that show a colour.
double share(cairo_surface_t* surface, MapRenderer::Colour colour, int left, int top, int right,
             int bottom) {
    int hits = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            hits += near(pixel(surface, x, y), colour);
    return double(hits) / ((right - left) * (bottom - top));
}

double share(cairo_surface_t* surface, MapRenderer::Colour colour) {
    return share(surface, colour, 0, 0, MapRenderer::width, MapRenderer::height);
}

MapRenderer shippedRenderer() {
    const auto& shoreline = Shoreline::shared();
    const auto& gazetteer = Gazetteer::shared();
    EXPECT_TRUE(shoreline) << shoreline.error;
    EXPECT_TRUE(gazetteer) << gazetteer.error;
    return MapRenderer(shoreline.value, gazetteer.value);
}

// Keeps the picture for a person to look at: <test temp dir>/aerolune-map-<name>.png.
void keep(cairo_surface_t* surface, const std::string& name) {
    const auto path = testing::TempDir() + "aerolune-map-" + name + ".png";
    EXPECT_EQ(cairo_surface_write_to_png(surface, path.c_str()), CAIRO_STATUS_SUCCESS);
}

void expectMarkerAtTheCentre(cairo_surface_t* surface) {
    const int cx = MapRenderer::width / 2, cy = MapRenderer::height / 2;
    for (const auto& [dx, dy] : {std::pair{0, 0}, {-2, 0}, {2, 0}, {0, -2}, {0, 2}})
        EXPECT_TRUE(near(pixel(surface, cx + dx, cy + dy), MapRenderer::marker)) << dx << "," << dy;
    EXPECT_FALSE(near(pixel(surface, cx + 8, cy), MapRenderer::marker));
}

// Cairo's font caches and fontconfig's configuration live until the process
// ends; letting them go at the end keeps the leak checker to real leaks.
class FontCaches : public ::testing::Environment {
public:
    void TearDown() override {
        cairo_debug_reset_static_data();
        FcFini();
    }
};
const auto* const kFontCaches = ::testing::AddGlobalTestEnvironment(new FontCaches);

} // namespace

TEST(MapRendererTest, LisbonShowsTheAtlanticToTheWestAndLandToTheEast) {
    const auto map = shippedRenderer().render({38.71667, -9.13333});
    keep(map.get(), "lisbon");
    ASSERT_EQ(cairo_image_surface_get_width(map.get()), MapRenderer::width);
    ASSERT_EQ(cairo_image_surface_get_height(map.get()), MapRenderer::height);
    EXPECT_GT(share(map.get(), MapRenderer::water), 0.15);
    EXPECT_GT(share(map.get(), MapRenderer::land), 0.3);
    EXPECT_GT(share(map.get(), MapRenderer::water, 0, 0, 30, 30), 0.8) << "the ocean off Cascais";
    EXPECT_GT(share(map.get(), MapRenderer::land, 150, 0, 200, 25), 0.6) << "inland, north-east";
    expectMarkerAtTheCentre(map.get());
}

TEST(MapRendererTest, ChicagoShowsLakeMichiganToTheEast) {
    const auto map = shippedRenderer().render({41.85003, -87.65005});
    keep(map.get(), "chicago");
    EXPECT_GT(share(map.get(), MapRenderer::water), 0.2);
    EXPECT_GT(share(map.get(), MapRenderer::land), 0.3);
    EXPECT_GT(share(map.get(), MapRenderer::water, 170, 10, 200, 50), 0.9) << "the lake";
    EXPECT_LT(share(map.get(), MapRenderer::water, 0, 0, 50, 100), 0.02) << "the prairie";
    expectMarkerAtTheCentre(map.get());
}

TEST(MapRendererTest, BinsMeetWithoutSeams) {
    const auto renderer = shippedRenderer();
    SCOPED_TRACE("four land bins meet in Kansas and Nebraska");
    const auto prairie = renderer.render({40.0, -100.0});
    EXPECT_EQ(share(prairie.get(), MapRenderer::water), 0.0);
    SCOPED_TRACE("four sea bins meet in the Atlantic");
    const auto ocean = renderer.render({0.0, -30.0});
    EXPECT_EQ(share(ocean.get(), MapRenderer::land), 0.0);
    SCOPED_TRACE("the antimeridian is no edge either");
    const auto fiji = renderer.render({-16.6, 179.95});
    EXPECT_GT(share(fiji.get(), MapRenderer::land, 100, 0, 200, 100), 0.0);
    EXPECT_GT(share(fiji.get(), MapRenderer::water), 0.0);
}

TEST(MapRendererTest, WithoutDataTheMapIsSeaAndTheMarker) {
    const MapRenderer bare(nullptr, nullptr);
    const auto map = bare.render({38.71667, -9.13333}, 2);
    ASSERT_EQ(cairo_image_surface_get_width(map.get()), 2 * MapRenderer::width);
    EXPECT_TRUE(near(pixel(map.get(), 5, 5), MapRenderer::water));
    EXPECT_TRUE(near(pixel(map.get(), 2 * MapRenderer::width / 2, 2 * MapRenderer::height / 2),
                     MapRenderer::marker));
    EXPECT_EQ(share(map.get(), MapRenderer::land), 0.0);
}
