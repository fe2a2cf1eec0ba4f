#include "map/Shoreline.h"

#include "datafiles/CompressedFile.h"
#include "datafiles/DataDirectory.h"

#include <gtest/gtest.h>

using namespace aerolune;

TEST(ShorelineTest, RingsLieInTheirBinsRunCounterClockwiseAndMatchKnownGround) {
    const auto& loaded = Shoreline::shared();
    ASSERT_TRUE(loaded) << loaded.error().message;
    const Shoreline& s = **loaded;
    std::size_t rings = 0, clockwise = 0;
    for (int row = 0; row < s.rows(); ++row) {
        for (int column = 0; column < s.columns(); ++column) {
            const float west = s.binWest(column), south = s.binSouth(row), side = s.binDegrees();
            const auto inside = [&](const Shoreline::Point& p) {
                return p.longitude >= west - 1e-4f && p.longitude <= west + side + 1e-4f &&
                       p.latitude >= south - 1e-4f && p.latitude <= south + side + 1e-4f;
            };
            for (const auto& ring : s.rings(s.bin(row, column))) {
                const auto points = s.ringPoints(ring);
                ASSERT_TRUE(std::all_of(points.begin(), points.end(), inside));
                double area = 0; // twice the area, positive counter-clockwise
                for (std::size_t i = 0; i < points.size(); ++i) {
                    const auto &a = points[i], &b = points[(i + 1) % points.size()];
                    area += double(a.longitude) * b.latitude - double(b.longitude) * a.latitude;
                }
                ++rings;
                clockwise += area < 0;
            }
        }
    }
    EXPECT_GT(rings, 40000u);
    EXPECT_LT(clockwise, rings / 1000) << "rings must be counter-clockwise to fill without seams";
    const auto binAt = [&](double latitude, double longitude) {
        return s.bin(int((latitude + 90) / s.binDegrees()),
                     int((longitude + 180) / s.binDegrees()));
    };
    EXPECT_EQ(binAt(0.5, -30.5).baseLevel, 0) << "mid-Atlantic";
    EXPECT_EQ(binAt(-25, 133).baseLevel, 1) << "inland Australia";
    EXPECT_EQ(binAt(-65, 0).baseLevel, 0) << "nothing is kept south of 60 degrees south";
}

TEST(ShorelineTest, ADamagedFileIsRefused) {
    const auto bytes = CompressedFile::read(DataDirectory::find(Shoreline::fileName).value());
    ASSERT_TRUE(bytes && Shoreline::parse(*bytes));
    for (const std::size_t cut : {std::size_t(0), std::size_t(8), std::size_t(39), std::size_t(40),
                                  bytes->size() / 2, bytes->size() - 1})
        EXPECT_FALSE(Shoreline::parse(std::string_view(*bytes).substr(0, cut))) << cut;
    EXPECT_FALSE(Shoreline::parse(*bytes + "x"));
}
