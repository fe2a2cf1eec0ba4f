#include "platform/render/CoverageWriter.h"

#include "platform/render/CairoHandles.h"
#include "platform/render/DirectFill.h"
#include "platform/render/OverBlend.h"

#include <algorithm>
#include <cstring>
#include <immintrin.h>

namespace aerolune {
namespace {

// What a coverage `a` lets through, times what lay beneath: in 65535ths, and
// (255 - a) x 257 / 65536 being 1 - a / 255 in them (less a 65535th).
inline std::uint16_t letThrough(std::uint32_t through, std::uint32_t a) {
    return static_cast<std::uint16_t>((through * ((255 - a) * 257)) >> 16);
}

void combineScalar(std::uint16_t* through, const std::uint8_t* coverage, int count) {
    for (int i = 0; i < count; ++i)
        through[i] = letThrough(through[i], coverage[i]);
}

// The same products, sixteen pixels at a time.
__attribute__((target("avx2"))) void combineAvx2(std::uint16_t* through,
                                                 const std::uint8_t* coverage, int count) {
    const __m256i full = _mm256_set1_epi16(255), unit = _mm256_set1_epi16(257);
    int i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m256i a =
            _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(coverage + i)));
        const __m256i kept = _mm256_mullo_epi16(_mm256_sub_epi16(full, a), unit);
        auto* at = reinterpret_cast<__m256i*>(through + i);
        _mm256_storeu_si256(at, _mm256_mulhi_epu16(_mm256_loadu_si256(at), kept));
    }
    combineScalar(through + i, coverage + i, count - i);
}

void combine(std::uint16_t* through, const std::uint8_t* coverage, int count) {
    if (hasFastBlendOver())
        combineAvx2(through, coverage, count);
    else
        combineScalar(through, coverage, count);
}

// The table's pixel for each coverage byte, and for each run of what was let
// through, rounded to the nearest coverage. Sixteen pixels at a time where
// the processor has AVX2, worked out as the table was: the colour at the
// coverage plus the plain colour at the rest, each product rounded as
// Cairo's pixel code rounds it (x y / 255 is (x y + 128) 257 / 65536).
inline std::uint32_t nearestCoverage(std::uint32_t through) {
    return 255 - ((through * 255 + 32768) >> 16);
}

struct Shades {
    __m256i color[3], plain[3];
};

// The colour from the table's last entry, the plain one from its first.
__attribute__((target("avx2"))) Shades shadesOf(const std::uint32_t* table) {
    Shades shades;
    for (int channel = 0; channel < 3; ++channel) {
        const int shift = 8 * channel;
        shades.color[channel] = _mm256_set1_epi16(static_cast<short>(table[255] >> shift & 255));
        shades.plain[channel] = _mm256_set1_epi16(static_cast<short>(table[0] >> shift & 255));
    }
    return shades;
}

__attribute__((target("avx2"))) inline __m256i timesOver255(__m256i x, __m256i y) {
    const __m256i t = _mm256_add_epi16(_mm256_mullo_epi16(x, y), _mm256_set1_epi16(128));
    return _mm256_mulhi_epu16(t, _mm256_set1_epi16(257));
}

// Sixteen opaque pixels for sixteen coverages in 16-bit lanes.
__attribute__((target("avx2"))) inline void shade(std::uint32_t* out, __m256i coverage,
                                                  const Shades& shades) {
    const __m256i rest = _mm256_sub_epi16(_mm256_set1_epi16(255), coverage);
    __m256i channels[3];
    for (int channel = 0; channel < 3; ++channel)
        channels[channel] = _mm256_add_epi16(timesOver255(shades.color[channel], coverage),
                                             timesOver255(shades.plain[channel], rest));
    const __m256i blueGreen = _mm256_or_si256(channels[0], _mm256_slli_epi16(channels[1], 8));
    const __m256i redAlpha = _mm256_or_si256(channels[2], _mm256_set1_epi16(-256));
    const __m256i low = _mm256_unpacklo_epi16(blueGreen, redAlpha);
    const __m256i high = _mm256_unpackhi_epi16(blueGreen, redAlpha);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                        _mm256_permute2x128_si256(low, high, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 8),
                        _mm256_permute2x128_si256(low, high, 0x31));
}

__attribute__((target("avx2"))) void lookUpAvx2(std::uint32_t* out, const std::uint8_t* coverage,
                                                int count, const std::uint32_t* table) {
    const Shades shades = shadesOf(table);
    int i = 0;
    for (; i + 16 <= count; i += 16)
        shade(out + i,
              _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(coverage + i))),
              shades);
    for (; i < count; ++i)
        out[i] = table[coverage[i]];
}

__attribute__((target("avx2"))) void lookUpAvx2(std::uint32_t* out, const std::uint16_t* through,
                                                int count, const std::uint32_t* table) {
    const Shades shades = shadesOf(table);
    const __m256i full = _mm256_set1_epi16(255);
    int i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m256i t = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(through + i));
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

CoverageWriter::CoverageWriter(const Color& color, const Color& plain) {
    const std::uint32_t full = opaquePixel(color), beneath = opaquePixel(plain);
    for (std::uint32_t c = 0; c < 256; ++c) {
        tint_[c] = multiplyPixel(full, c);
        overPlain_[c] = tint_[c] + multiplyPixel(beneath, 255 - c);
    }
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
    Span* spans = spans_.data();
    for (int i = 0, n = cairo_region_num_rectangles(boxes.get()); i < n;) {
        band.clear();
        do {
            cairo_rectangle_int_t r;
            cairo_region_get_rectangle(boxes.get(), i, &r);
            if (!band.empty() && (r.y != band.front().y || r.height != band.front().height))
                break;
            band.push_back(r);
        } while (++i < n);
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
    through_.resize(static_cast<std::size_t>(last - first));
    std::memset(through_.data(), 0xff, through_.size() * sizeof(std::uint16_t));
    for (const Span* span = clipped; span != clipped + kept; ++span)
        combine(through_.data() + (span->from - first), span->coverage, span->to - span->from);
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
                    out[k] = tint_[a] + multiplyPixel(out[k], 255 - a);
        }
        cairo_surface_mark_dirty_rectangle(image, r.x, r.y, r.width, r.height);
    }
}

} // namespace aerolune
