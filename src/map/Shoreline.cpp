#include "map/Shoreline.h"

#include "datafiles/ByteReader.h"
#include "datafiles/CompressedFile.h"
#include "datafiles/DataDirectory.h"

namespace aerolune {

class Shoreline::Parser {
public:
    Parser(Shoreline& shoreline, std::string_view bytes) : shoreline_(shoreline), in_(bytes) {}

    Result<void> run() {
        constexpr std::size_t headerSize = 8 + 8 * 4;
        if (!in_.has(headerSize) || in_.bytes(8) != "AESHORE1")
            return failure("is not a shoreline file of version 1");
        const auto binMinutes = in_.u32();
        auto& s = shoreline_;
        s.columns_ = static_cast<int>(in_.u32());
        s.rows_ = static_cast<int>(in_.u32());
        const std::size_t rings = in_.u32(), ringPoints = in_.u32();
        const std::size_t lines = in_.u32(), linePoints = in_.u32();
        in_.skip(4);
        s.binDegrees_ = binMinutes / 60.0;
        const std::size_t bins = std::size_t(s.columns_) * s.rows_;
        if (binMinutes == 0 || s.columns_ * s.binDegrees_ != 360 || s.rows_ * s.binDegrees_ != 180)
            return failure("has a grid that does not cover the world");
        if (!in_.has(bins * 20 + (rings + lines) * 12 + (ringPoints + linePoints) * 4))
            return failure("is cut short");
        readBins(bins);
        readPaths(s.rings_, rings);
        readPaths(s.lines_, lines);
        if (!consistent(ringPoints, linePoints))
            return failure("has paths or bins out of range");
        readPoints(s.rings_, s.ringPoints_, ringPoints, &Bin::firstRing, &Bin::ringCount);
        readPoints(s.lines_, s.linePoints_, linePoints, &Bin::firstLine, &Bin::lineCount);
        if (!in_.atEnd())
            return failure("has data after its end");
        return {};
    }

private:
    void readBins(std::size_t count) {
        shoreline_.bins_.resize(count);
        for (auto& bin : shoreline_.bins_) {
            bin.baseLevel = in_.u8();
            in_.skip(3);
            bin.firstRing = in_.u32(), bin.ringCount = in_.u32();
            bin.firstLine = in_.u32(), bin.lineCount = in_.u32();
        }
    }

    void readPaths(std::vector<Path>& paths, std::size_t count) {
        paths.resize(count);
        for (auto& path : paths) {
            path.level = in_.u8();
            in_.skip(3);
            path.firstPoint = in_.u32(), path.pointCount = in_.u32();
        }
    }

    bool consistent(std::size_t ringPoints, std::size_t linePoints) const {
        const auto& s = shoreline_;
        for (const auto& bin : s.bins_) {
            if (bin.baseLevel > maximumLevel ||
                std::size_t(bin.firstRing) + bin.ringCount > s.rings_.size() ||
                std::size_t(bin.firstLine) + bin.lineCount > s.lines_.size())
                return false;
        }
        auto inRange = [](const std::vector<Path>& paths, std::size_t points) {
            for (const auto& path : paths) {
                if (path.level < 1 || path.level > maximumLevel ||
                    std::size_t(path.firstPoint) + path.pointCount > points)
                    return false;
            }
            return true;
        };
        return inRange(s.rings_, ringPoints) && inRange(s.lines_, linePoints);
    }

    // Points are stored as 16-bit steps from the previous point of the same
    // path, in 1/65535 of the bin's side from its south-west corner.
    void readPoints(const std::vector<Path>& paths, std::vector<Point>& points, std::size_t count,
                    std::uint32_t Bin::*first, std::uint32_t Bin::*size) {
        std::vector<std::uint16_t> raw(count * 2);
        for (auto& value : raw)
            value = in_.u16();
        points.resize(count);
        const auto& s = shoreline_;
        const double scale = s.binDegrees_ / 65535.0;
        for (int row = 0; row < s.rows_; ++row) {
            for (int column = 0; column < s.columns_; ++column) {
                const auto& bin = s.bin(row, column);
                for (auto p = bin.*first; p < bin.*first + bin.*size; ++p) {
                    std::uint16_t x = 0, y = 0;
                    for (auto i = paths[p].firstPoint;
                         i < paths[p].firstPoint + paths[p].pointCount; ++i) {
                        x = std::uint16_t(x + raw[2 * i]), y = std::uint16_t(y + raw[2 * i + 1]);
                        points[i] = {float(s.binWest(column) + x * scale),
                                     float(s.binSouth(row) + y * scale)};
                    }
                }
            }
        }
    }

    Shoreline& shoreline_;
    ByteReader in_;
};

const Result<Shoreline::Shared>& Shoreline::shared() {
    return loadInstalledOnce<Shoreline>();
}

Result<Shoreline::Shared> Shoreline::load(const std::filesystem::path& path) {
    const auto bytes = CompressedFile::read(path, maximumSize);
    if (!bytes)
        return bytes.error();
    auto loaded = parse(*bytes);
    if (!loaded)
        return failure(path.filename().string() + " " + loaded.error().message);
    return loaded;
}

Result<Shoreline::Shared> Shoreline::parse(std::string_view bytes) {
    auto shoreline = std::make_shared<Shoreline>();
    Parser parser(*shoreline, bytes);
    if (auto parsed = parser.run(); !parsed)
        return parsed.error();
    return Shared(std::move(shoreline));
}

std::span<const Shoreline::Path> Shoreline::rings(const Bin& bin) const {
    return {rings_.data() + bin.firstRing, bin.ringCount};
}

std::span<const Shoreline::Path> Shoreline::lines(const Bin& bin) const {
    return {lines_.data() + bin.firstLine, bin.lineCount};
}

std::span<const Shoreline::Point> Shoreline::ringPoints(const Path& ring) const {
    return {ringPoints_.data() + ring.firstPoint, ring.pointCount};
}

std::span<const Shoreline::Point> Shoreline::linePoints(const Path& line) const {
    return {linePoints_.data() + line.firstPoint, line.pointCount};
}

} // namespace aerolune
