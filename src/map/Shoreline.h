#pragma once

// Coastlines, lakes and borders for the settings window's map, read once from
// shorelines.bin.gz (written by data/shorelines.py from GSHHG) and read-only
// afterwards.
//
// The world is cut into bins of a few degrees. A bin has a base level, the
// level of everything in it outside its rings (0 sea, 1 land, 2 lake, 3 island
// in a lake, 4 pond on such an island), and rings, each closed and
// counter-clockwise with the area of its level on its left. A bin's picture
// is its base level, then its rings painted in increasing level. Border lines
// (1 between countries, 2 between states of the larger federations) are
// separate open lines. Nothing is stored south of 60 degrees south.

#include "platform/core/Result.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace aerolune {

class Shoreline {
public:
    using Shared = std::shared_ptr<const Shoreline>;

    static constexpr std::string_view fileName = "shorelines.bin.gz";
    // Thirteen times what the file inflates to today (2.4 MB); more is damage.
    static constexpr std::size_t maximumSize = std::size_t(32) << 20;
    static constexpr int maximumLevel = 4;

    struct Point {
        float longitude;
        float latitude;
    };
    struct Path {
        std::uint8_t level;
        std::uint32_t firstPoint;
        std::uint32_t pointCount;
    };
    struct Bin {
        std::uint8_t baseLevel;
        std::uint32_t firstRing;
        std::uint32_t ringCount;
        std::uint32_t firstLine;
        std::uint32_t lineCount;
    };

    // Loaded on first use from the data folder; safe under concurrent first use.
    static const Result<Shared>& shared();
    static Result<Shared> load(const std::filesystem::path& path);
    // bytes is the uncompressed file.
    static Result<Shared> parse(std::string_view bytes);

    int columns() const { return columns_; }
    int rows() const { return rows_; }
    double binDegrees() const { return binDegrees_; }
    // Row 0 is the southernmost, column 0 starts at 180 degrees west.
    const Bin& bin(int row, int column) const { return bins_[row * columns_ + column]; }
    double binWest(int column) const { return -180 + column * binDegrees_; }
    double binSouth(int row) const { return -90 + row * binDegrees_; }

    std::span<const Path> rings(const Bin& bin) const;
    std::span<const Path> lines(const Bin& bin) const;
    std::span<const Point> ringPoints(const Path& ring) const;
    std::span<const Point> linePoints(const Path& line) const;

private:
    class Parser;

    int columns_ = 0;
    int rows_ = 0;
    double binDegrees_ = 0;
    std::vector<Bin> bins_;
    std::vector<Path> rings_;
    std::vector<Path> lines_;
    std::vector<Point> ringPoints_;
    std::vector<Point> linePoints_;
};

} // namespace aerolune
