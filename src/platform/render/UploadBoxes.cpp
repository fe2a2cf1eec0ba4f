#include "platform/render/UploadBoxes.h"

#include <algorithm>

namespace aerolune {
namespace {

// Beyond this many pieces, pairing them up costs more than it saves; the box
// around them all goes instead.
constexpr std::size_t mostPieces = 512;

long area(const PixelRect& r) {
    return static_cast<long>(r.width) * r.height;
}

PixelRect around(const PixelRect& a, const PixelRect& b) {
    const int x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
    const int x1 = std::max(a.x + a.width, b.x + b.width);
    const int y1 = std::max(a.y + a.height, b.y + b.height);
    return {x0, y0, x1 - x0, y1 - y0};
}

} // namespace

std::vector<PixelRect> uploadBoxes(std::vector<PixelRect> redrawn, long requestPixels) {
    std::erase_if(redrawn, [](const PixelRect& r) { return r.width <= 0 || r.height <= 0; });
    if (redrawn.size() > mostPieces) {
        PixelRect all = redrawn.front();
        for (const auto& r : redrawn)
            all = around(all, r);
        return {all};
    }
    // Join any pair worth joining until none is; each join removes a box.
    bool joined = true;
    while (joined) {
        joined = false;
        for (std::size_t i = 0; i < redrawn.size(); ++i)
            for (std::size_t j = i + 1; j < redrawn.size();) {
                const PixelRect both = around(redrawn[i], redrawn[j]);
                if (area(both) <= area(redrawn[i]) + area(redrawn[j]) + requestPixels) {
                    redrawn[i] = both;
                    redrawn[j] = redrawn.back();
                    redrawn.pop_back();
                    joined = true;
                    j = i + 1; // the grown box may now reach earlier ones
                } else {
                    ++j;
                }
            }
    }
    return redrawn;
}

std::vector<PixelRect> bridged(const std::vector<PixelRect>& banded, int gap) {
    std::vector<PixelRect> joined;
    joined.reserve(banded.size());
    for (const PixelRect& r : banded) {
        PixelRect* last = joined.empty() ? nullptr : &joined.back();
        if (last && last->y == r.y && last->height == r.height &&
            r.x - (last->x + last->width) < gap)
            last->width = r.x + r.width - last->x;
        else
            joined.push_back(r);
    }
    return joined;
}

} // namespace aerolune
