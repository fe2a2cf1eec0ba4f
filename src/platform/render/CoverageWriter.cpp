#include "platform/render/CoverageWriter.h"

#include "platform/render/CairoHandles.h"
#include "platform/render/OverBlend.h"
#include "platform/render/UnitByte.h"

#include <algorithm>

namespace aerolune {
namespace {

std::uint32_t opaque(const Color& color) {
    return 0xff000000u | unitByte(color.red()) << 16 | unitByte(color.green()) << 8 |
           unitByte(color.blue());
}

struct Coverage {
    const std::uint8_t* data;
    int stride;
    cairo_rectangle_int_t bounds;
};

Coverage coverageOf(const CoverageWriter::Piece& piece) {
    cairo_surface_flush(piece.coverage);
    return {cairo_image_surface_get_data(piece.coverage),
            cairo_image_surface_get_stride(piece.coverage),
            {piece.x, piece.y, cairo_image_surface_get_width(piece.coverage),
             cairo_image_surface_get_height(piece.coverage)}};
}

// The rectangles of `area` that lie inside the image and `bounds`.
CairoRegion within(cairo_surface_t* image, const cairo_region_t* area,
                   const cairo_rectangle_int_t& bounds) {
    CairoRegion inside(cairo_region_copy(area));
    const cairo_rectangle_int_t all{0, 0, cairo_image_surface_get_width(image),
                                    cairo_image_surface_get_height(image)};
    cairo_region_intersect_rectangle(inside.get(), &all);
    cairo_region_intersect_rectangle(inside.get(), &bounds);
    return inside;
}

} // namespace

CoverageWriter::CoverageWriter(const Color& color, const Color& plain) {
    const std::uint32_t full = opaque(color), beneath = opaque(plain);
    for (std::uint32_t c = 0; c < 256; ++c) {
        tint_[c] = multiplyPixel(full, c);
        overPlain_[c] = tint_[c] + multiplyPixel(beneath, 255 - c);
        kept_[c] = static_cast<float>(255 - c) / 255.0f;
    }
}

void CoverageWriter::writeOverPlain(cairo_surface_t* image, const cairo_region_t* area,
                                    const std::vector<Piece>& pieces) {
    std::vector<Coverage> coverages;
    coverages.reserve(pieces.size());
    for (const Piece& piece : pieces)
        coverages.push_back(coverageOf(piece));
    const CairoRegion boxes = within(image, area, {0, 0, 1 << 30, 1 << 30});
    cairo_surface_flush(image);
    unsigned char* pixels = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    for (int i = 0, n = cairo_region_num_rectangles(boxes.get()); i < n; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(boxes.get(), i, &r);
        run_.resize(static_cast<std::size_t>(r.width));
        for (int row = r.y; row < r.y + r.height; ++row) {
            std::fill(run_.begin(), run_.end(), 1.0f);
            for (const Coverage& c : coverages) {
                const cairo_rectangle_int_t& b = c.bounds;
                const int from = std::max(r.x, b.x), to = std::min(r.x + r.width, b.x + b.width);
                if (row < b.y || row >= b.y + b.height || from >= to)
                    continue;
                const std::uint8_t* source = c.data + (row - b.y) * c.stride + (from - b.x);
                float* left = run_.data() + (from - r.x);
                for (int k = 0; k < to - from; ++k)
                    left[k] *= kept_[source[k]];
            }
            auto* out = reinterpret_cast<std::uint32_t*>(pixels + row * stride) + r.x;
            for (int k = 0; k < r.width; ++k)
                out[k] = overPlain_[255 - static_cast<int>(
                                              run_[static_cast<std::size_t>(k)] * 255.0f + 0.5f)];
        }
        cairo_surface_mark_dirty_rectangle(image, r.x, r.y, r.width, r.height);
    }
}

void CoverageWriter::compositeOver(cairo_surface_t* image, const cairo_region_t* area,
                                   const Piece& piece) const {
    const Coverage c = coverageOf(piece);
    const CairoRegion boxes = within(image, area, c.bounds);
    cairo_surface_flush(image);
    unsigned char* pixels = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    for (int i = 0, n = cairo_region_num_rectangles(boxes.get()); i < n; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(boxes.get(), i, &r);
        for (int row = r.y; row < r.y + r.height; ++row) {
            const std::uint8_t* source =
                c.data + (row - c.bounds.y) * c.stride + (r.x - c.bounds.x);
            auto* out = reinterpret_cast<std::uint32_t*>(pixels + row * stride) + r.x;
            for (int k = 0; k < r.width; ++k)
                if (const std::uint32_t a = source[k])
                    out[k] = tint_[a] + multiplyPixel(out[k], 255 - a);
        }
        cairo_surface_mark_dirty_rectangle(image, r.x, r.y, r.width, r.height);
    }
}

} // namespace aerolune
