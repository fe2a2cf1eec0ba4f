#include "platform/render/CoverageWriter.h"

#include "platform/render/CairoHandles.h"
#include "platform/render/DirectFill.h"
#include "platform/render/OverBlend.h"

#include <algorithm>
#include <cstring>
#include <immintrin.h>

namespace aerolune {
namespace {

// What a coverage `a` keeps of what lies beneath, in 65536ths: (255 - a) x
// 257 / 65536 is 1 - a / 255 less a 65535th.
inline std::uint32_t kept(std::uint32_t a) {
    return (255 - a) * 257;
}

// What a coverage `a` lets through, times what lay beneath, in 65535ths.
inline std::uint16_t letThrough(std::uint32_t through, std::uint32_t a) {
    return static_cast<std::uint16_t>((through * kept(a)) >> 16);
}

void combineScalar(std::uint16_t* through, const std::uint8_t* coverage, int count) {
    for (int i = 0; i < count; ++i)
        through[i] = letThrough(through[i], coverage[i]);
}

// letThrough of all (65535): what is kept less one, and 0 for a full coverage.
void startScalar(std::uint16_t* through, const std::uint8_t* coverage, int count) {
    for (int i = 0; i < count; ++i) {
        const std::uint32_t k = kept(coverage[i]);
        through[i] = static_cast<std::uint16_t>(k ? k - 1 : 0);
    }
}

// kept() of sixteen coverages.
__attribute__((target("avx2"))) inline __m256i keptAvx2(const std::uint8_t* coverage) {
    const __m256i a =
        _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(coverage)));
    return _mm256_mullo_epi16(_mm256_sub_epi16(_mm256_set1_epi16(255), a), _mm256_set1_epi16(257));
}

// The same, sixteen pixels at a time.
__attribute__((target("avx2"))) void combineAvx2(std::uint16_t* through,
                                                 const std::uint8_t* coverage, int count) {
    int i = 0;
    for (; i + 16 <= count; i += 16) {
        auto* at = reinterpret_cast<__m256i*>(through + i);
        _mm256_storeu_si256(at, _mm256_mulhi_epu16(_mm256_loadu_si256(at), keptAvx2(coverage + i)));
    }
    combineScalar(through + i, coverage + i, count - i);
}

__attribute__((target("avx2"))) void startAvx2(std::uint16_t* through, const std::uint8_t* coverage,
                                               int count) {
    int i = 0;
    for (; i + 16 <= count; i += 16)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(through + i),
                            _mm256_subs_epu16(keptAvx2(coverage + i), _mm256_set1_epi16(1)));
    startScalar(through + i, coverage + i, count - i);
}

void combine(std::uint16_t* through, const std::uint8_t* coverage, int count) {
    if (hasFastBlendOver())
        combineAvx2(through, coverage, count);
    else
        combineScalar(through, coverage, count);
}

// What one picture lets through where nothing else has been combined yet.
void start(std::uint16_t* through, const std::uint8_t* coverage, int count) {
    if (hasFastBlendOver())
        startAvx2(through, coverage, count);
    else
        startScalar(through, coverage, count);
}

// The table's pixel for each coverage byte, and for each run of what was let
// through, rounded to the nearest coverage. Sixteen pixels at a time where
// the processor has AVX2, worked out as the table was: each channel the plain
// one moved towards the colour's by their difference times the coverage,
// rounded once (x / 255 is (x + 128) 257 / 65536 up to 255 x 255).
inline std::uint32_t nearestCoverage(std::uint32_t through) {
    return 255 - ((through * 255 + 32768) >> 16);
}

inline std::uint32_t channelOver(std::uint32_t color, std::uint32_t plain, std::uint32_t c) {
    const std::uint32_t apart = color > plain ? color - plain : plain - color;
    const std::uint32_t moved = ((apart * c + 128) * 257) >> 16;
    return color > plain ? plain + moved : plain - moved;
}

// The opaque `color` at coverage `c` OVER a premultiplied pixel, each channel
// (alpha too) moved from the pixel's towards the colour's: for any pixel
// beneath, the colour times c plus the pixel times 1 - c.
inline std::uint32_t pixelOver(std::uint32_t color, std::uint32_t beneath, std::uint32_t c) {
    std::uint32_t pixel = 0;
    for (int shift = 0; shift < 32; shift += 8)
        pixel |= channelOver(color >> shift & 255, beneath >> shift & 255, c) << shift;
    return pixel;
}

// Per channel (blue, green, red): the plain value, how far the colour lies
// from it and which way (+1 or -1).
struct Shades {
    __m256i plain[3], apart[3], way[3];
};

__attribute__((target("avx2"))) Shades shadesOf(std::uint32_t color, std::uint32_t plain) {
    Shades shades;
    for (int channel = 0; channel < 3; ++channel) {
        const int shift = 8 * channel;
        const int c = static_cast<int>(color >> shift & 255),
                  p = static_cast<int>(plain >> shift & 255);
        shades.plain[channel] = _mm256_set1_epi16(static_cast<short>(p));
        shades.apart[channel] = _mm256_set1_epi16(static_cast<short>(c > p ? c - p : p - c));
        shades.way[channel] = _mm256_set1_epi16(static_cast<short>(c > p ? 1 : -1));
    }
    return shades;
}

__attribute__((target("avx2"))) inline __m256i channelOver(__m256i coverage, __m256i plain,
                                                           __m256i apart, __m256i way) {
    const __m256i product =
        _mm256_add_epi16(_mm256_mullo_epi16(apart, coverage), _mm256_set1_epi16(128));
    const __m256i moved = _mm256_mulhi_epu16(product, _mm256_set1_epi16(257));
    return _mm256_add_epi16(plain, _mm256_sign_epi16(moved, way));
}

// Sixteen opaque pixels for sixteen coverages in 16-bit lanes, given in the
// order 0-3, 8-11 | 4-7, 12-15: unpacking the low and high halves of each
// 128-bit lane then gives pixels 0-7 and 8-15 in order.
__attribute__((target("avx2"))) inline void shade(std::uint32_t* out, __m256i coverage,
                                                  const Shades& s) {
    const __m256i blue = channelOver(coverage, s.plain[0], s.apart[0], s.way[0]);
    const __m256i green = channelOver(coverage, s.plain[1], s.apart[1], s.way[1]);
    const __m256i red = channelOver(coverage, s.plain[2], s.apart[2], s.way[2]);
    const __m256i blueGreen = _mm256_or_si256(blue, _mm256_slli_epi16(green, 8));
    const __m256i redAlpha = _mm256_or_si256(red, _mm256_set1_epi16(-256));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                        _mm256_unpacklo_epi16(blueGreen, redAlpha));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 8),
                        _mm256_unpackhi_epi16(blueGreen, redAlpha));
}

// Quadwords 0, 2, 1, 3: the order shade() takes.
constexpr int shadeOrder = 0xd8;

__attribute__((target("avx2"))) void lookUpAvx2(std::uint32_t* out, const std::uint8_t* coverage,
                                                int count, const std::uint32_t* table) {
    const Shades shades = shadesOf(table[255], table[0]);
    int i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m256i c =
            _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(coverage + i)));
        shade(out + i, _mm256_permute4x64_epi64(c, shadeOrder), shades);
    }
    for (; i < count; ++i)
        out[i] = table[coverage[i]];
}

__attribute__((target("avx2"))) void lookUpAvx2(std::uint32_t* out, const std::uint16_t* through,
                                                int count, const std::uint32_t* table) {
    const Shades shades = shadesOf(table[255], table[0]);
    const __m256i full = _mm256_set1_epi16(255);
    int i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m256i t = _mm256_permute4x64_epi64(
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(through + i)), shadeOrder);
        // (t 255 + 32768) >> 16, from the high and low halves of the product.
        const __m256i kept = _mm256_add_epi16(_mm256_mulhi_epu16(t, full),
                                              _mm256_srli_epi16(_mm256_mullo_epi16(t, full), 15));
        shade(out + i, _mm256_sub_epi16(full, kept), shades);
    }
    for (; i < count; ++i)
        out[i] = table[nearestCoverage(through[i])];
}

__attribute__((target("avx2"))) void fillAvx2(std::uint32_t* out, int count, std::uint32_t pixel) {
    const __m256i eight = _mm256_set1_epi32(static_cast<int>(pixel));
    int i = 0;
    for (; i + 8 <= count; i += 8)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), eight);
    std::fill(out + i, out + count, pixel);
}

void fill(std::uint32_t* out, int count, std::uint32_t pixel) {
    if (hasFastBlendOver())
        fillAvx2(out, count, pixel);
    else
        std::fill(out, out + count, pixel);
}

template <typename Value>
void lookUp(std::uint32_t* out, const Value* values, int count, const std::uint32_t* table) {
    if (hasFastBlendOver())
        return lookUpAvx2(out, values, count, table);
    for (int i = 0; i < count; ++i)
        if constexpr (sizeof(Value) == 1)
            out[i] = table[values[i]];
        else
            out[i] = table[nearestCoverage(values[i])];
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

} // namespace

CoverageWriter::CoverageWriter(const Color& color, const Color& plain)
    : color_(opaquePixel(color)) {
    const std::uint32_t beneath = opaquePixel(plain);
    for (std::uint32_t c = 0; c < 256; ++c)
        overPlain_[c] = pixelOver(color_, beneath, c);
}

void CoverageWriter::writeOverPlain(cairo_surface_t* image, const cairo_region_t* area,
                                    const std::vector<Piece>& pieces) {
    std::vector<Coverage> coverages;
    coverages.reserve(pieces.size());
    for (const Piece& piece : pieces)
        coverages.push_back(coverageOf(piece));
    const CairoRegion boxes = boxesWithin(
        image, area,
        {0, 0, cairo_image_surface_get_width(image), cairo_image_surface_get_height(image)});
    cairo_surface_flush(image);
    unsigned char* pixels = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    // Band by band (the rectangles of a region that share their rows): the
    // pieces on a row are found once for all the band's rectangles.
    std::vector<cairo_rectangle_int_t> band;
    // Written in place, never appended: a row may have as many as there are pieces.
    spans_.resize(pieces.size());
    clipped_.resize(pieces.size());
    through_.resize(static_cast<std::size_t>(cairo_image_surface_get_width(image)));
    Span* spans = spans_.data();
    for (int i = 0, n = cairo_region_num_rectangles(boxes.get()); i < n;) {
        i = gatherBand(boxes.get(), i, band);
        const int left = band.front().x, right = band.back().x + band.back().width;
        for (int row = band.front().y; row < band.front().y + band.front().height; ++row) {
            int count = 0;
            for (const Coverage& c : coverages) {
                const cairo_rectangle_int_t& b = c.bounds;
                const int from = std::max(left, b.x), to = std::min(right, b.x + b.width);
                if (row >= b.y && row < b.y + b.height && from < to)
                    spans[count++] = {from, to, c.data + (row - b.y) * c.stride + (from - b.x)};
            }
            auto* line = reinterpret_cast<std::uint32_t*>(pixels + row * stride);
            for (const cairo_rectangle_int_t& r : band)
                writeRow(line, r.x, r.x + r.width, count);
        }
        for (const cairo_rectangle_int_t& r : band)
            cairo_surface_mark_dirty_rectangle(image, r.x, r.y, r.width, r.height);
    }
}

// The row's pixels from `from` to `to`, given the spans of coverage on it:
// the plain colour where there are none, one picture straight through the
// table, and several through one run of what they let through.
void CoverageWriter::writeRow(std::uint32_t* row, int from, int to, int count) {
    Span* clipped = clipped_.data();
    int kept = 0, first = to, last = from;
    for (const Span* span = spans_.data(); span != spans_.data() + count; ++span) {
        const int start = std::max(from, span->from), end = std::min(to, span->to);
        if (start >= end)
            continue;
        clipped[kept++] = {start, end, span->coverage + (start - span->from)};
        first = std::min(first, start);
        last = std::max(last, end);
    }
    if (kept == 0)
        return fill(row + from, to - from, overPlain_[0]);
    fill(row + from, first - from, overPlain_[0]);
    fill(row + last, to - last, overPlain_[0]);
    if (kept == 1)
        return lookUp(row + first, clipped[0].coverage, last - first, overPlain_.data());
    // The first span starts the run, the rest of which lets all through so
    // far; the others follow in the pieces' order, on which the rounding of
    // each product depends, so that a row comes out the same however the
    // damage around it is cut.
    std::uint16_t* through = through_.data();
    const Span& opening = clipped[0];
    std::fill(through, through + (opening.from - first), std::uint16_t{0xffff});
    std::fill(through + (opening.to - first), through + (last - first), std::uint16_t{0xffff});
    start(through + (opening.from - first), opening.coverage, opening.to - opening.from);
    for (const Span* span = clipped + 1; span != clipped + kept; ++span)
        combine(through + (span->from - first), span->coverage, span->to - span->from);
    lookUp(row + first, through_.data(), last - first, overPlain_.data());
}

void CoverageWriter::compositeOver(cairo_surface_t* image, const cairo_region_t* area,
                                   const Piece& piece) const {
    const Coverage c = coverageOf(piece);
    const CairoRegion boxes = boxesWithin(image, area, c.bounds);
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
                    out[k] = pixelOver(color_, out[k], a);
        }
        cairo_surface_mark_dirty_rectangle(image, r.x, r.y, r.width, r.height);
    }
}

} // namespace aerolune
