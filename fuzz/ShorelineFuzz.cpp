// The uncompressed shoreline file, damaged or hostile. A file the reader
// accepts must be safe to draw: every bin's rings and lines, and their
// points, are within its tables (AddressSanitizer watches) and on the Earth.

#include "map/Shoreline.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace aerolune;

namespace {

void checkPoints(std::span<const Shoreline::Point> points) {
    for (const auto& point : points) {
        if (!(std::abs(point.longitude) <= 180.001f && std::abs(point.latitude) <= 90.001f))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto loaded =
        Shoreline::parse(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!loaded) {
        if (loaded.error().message.empty())
            std::abort();
        return 0;
    }
    const Shoreline& s = **loaded;
    for (int row = 0; row < s.rows(); ++row) {
        for (int column = 0; column < s.columns(); ++column) {
            const auto& bin = s.bin(row, column);
            for (const auto& ring : s.rings(bin))
                checkPoints(s.ringPoints(ring));
            for (const auto& line : s.lines(bin))
                checkPoints(s.linePoints(line));
        }
    }
    return 0;
}
