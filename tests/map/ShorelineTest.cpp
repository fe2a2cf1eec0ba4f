#include "map/Shoreline.h"

#include "datafiles/CompressedFile.h"
#include "datafiles/DataDirectory.h"
#include "support/GzipBomb.h"

#include <gtest/gtest.h>

using namespace aerolune;

namespace {

const Shoreline& shipped() {
    const auto& loaded = Shoreline::shared();
    if (!loaded)
        ADD_FAILURE() << loaded.error;
    return *loaded;
}

// Twice the area, positive when the ring runs counter-clockwise.
double signedArea(std::span<const Shoreline::Point> ring) {
    double sum = 0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const auto& a = ring[i];
        const auto& b = ring[(i + 1) % ring.size()];
        sum += double(a.longitude) * b.latitude - double(b.longitude) * a.latitude;
    }
    return sum;
}

} // namespace

TEST(ShorelineTest, RingsAndLinesLieInTheirBinsAndRunCounterClockwise) {
    const auto& s = shipped();
    ASSERT_EQ(s.columns() * s.binDegrees(), 360);
    ASSERT_EQ(s.rows() * s.binDegrees(), 180);
    std::size_t rings = 0, clockwise = 0, lines = 0;
    const float slack = 1e-4f;
    for (int row = 0; row < s.rows(); ++row) {
        for (int column = 0; column < s.columns(); ++column) {
            const auto& bin = s.bin(row, column);
            ASSERT_LE(bin.baseLevel, Shoreline::maximumLevel);
            const float west = s.binWest(column), south = s.binSouth(row);
            const float east = west + s.binDegrees(), north = south + s.binDegrees();
            auto inside = [&](const Shoreline::Point& p) {
                return p.longitude >= west - slack && p.longitude <= east + slack &&
                       p.latitude >= south - slack && p.latitude <= north + slack;
            };
            for (const auto& ring : s.rings(bin)) {
                ++rings;
                ASSERT_GE(ring.level, 1);
                ASSERT_LE(ring.level, Shoreline::maximumLevel);
                ASSERT_GE(ring.pointCount, 3u);
                const auto points = s.ringPoints(ring);
                ASSERT_TRUE(std::all_of(points.begin(), points.end(), inside));
                clockwise += signedArea(points) < 0;
            }
            for (const auto& line : s.lines(bin)) {
                ++lines;
                const auto points = s.linePoints(line);
                ASSERT_TRUE(std::all_of(points.begin(), points.end(), inside));
            }
        }
    }
    EXPECT_GT(rings, 40000u);
    EXPECT_GT(lines, 2000u);
    EXPECT_LT(clockwise, rings / 1000) << "rings must be counter-clockwise to fill without seams";
}

TEST(ShorelineTest, BinsAgreeWithKnownGround) {
    const auto& s = shipped();
    auto binAt = [&](double latitude, double longitude) -> const Shoreline::Bin& {
        return s.bin(int((latitude + 90) / s.binDegrees()),
                     int((longitude + 180) / s.binDegrees()));
    };
    EXPECT_EQ(binAt(0.5, -30.5).baseLevel, 0) << "mid-Atlantic";
    EXPECT_EQ(binAt(-25, 133).baseLevel, 1) << "inland Australia";
    EXPECT_EQ(binAt(-65, 0).baseLevel, 0) << "nothing is kept south of 60 degrees south";
    EXPECT_GT(binAt(38.7, -9.1).ringCount, 0u) << "Lisbon's coast";
}

TEST(ShorelineTest, ADamagedFileIsRefused) {
    std::string error;
    const auto bytes = CompressedFile::read(*DataDirectory::find(Shoreline::fileName), error);
    ASSERT_TRUE(bytes) << error;
    ASSERT_TRUE(Shoreline::parse(*bytes));
    for (const std::size_t cut : {std::size_t(0), std::size_t(8), std::size_t(39), std::size_t(40),
                                  bytes->size() / 2, bytes->size() - 1}) {
        SCOPED_TRACE(cut);
        const auto loaded = Shoreline::parse(std::string_view(*bytes).substr(0, cut));
        EXPECT_FALSE(loaded);
        EXPECT_FALSE(loaded.error.empty());
    }
    EXPECT_FALSE(Shoreline::parse(*bytes + "x"));

    const auto bomb = std::filesystem::path(testing::TempDir()) / "shoreline-bomb.bin.gz";
    test::writeGzipBomb(bomb, 1024);
    const auto inflated = Shoreline::load(bomb);
    EXPECT_FALSE(inflated);
    EXPECT_NE(inflated.error.find("inflates to more than"), std::string::npos) << inflated.error;
    std::filesystem::remove(bomb);
}
