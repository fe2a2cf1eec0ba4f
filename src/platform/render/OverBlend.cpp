#include "platform/render/OverBlend.h"

#include <immintrin.h>

namespace aerolune {
namespace {

// Per channel, saturating at 255.
inline std::uint32_t addSaturated(std::uint32_t a, std::uint32_t b) {
    std::uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t sum = ((a >> shift) & 255) + ((b >> shift) & 255);
        result |= (sum > 255 ? 255 : sum) << shift;
    }
    return result;
}

inline void blendOne(std::uint32_t& destination, std::uint32_t source) {
    const std::uint32_t alpha = source >> 24;
    if (alpha == 255)
        destination = source;
    else if (source != 0)
        destination = addSaturated(source, multiplyPixel(destination, 255 - alpha));
}

// Four pixels widened to 16 bits per channel: d x (255 - source alpha) / 255.
__attribute__((target("avx2"))) inline __m256i scaleByInverseAlpha(__m256i s16, __m256i d16) {
    const __m256i x00ff = _mm256_set1_epi16(0x00ff);
    // The source alpha in all four channels of each pixel, then 255 - alpha.
    __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s16, 0xff), 0xff);
    a = _mm256_xor_si256(a, x00ff);
    const __m256i t = _mm256_add_epi16(_mm256_mullo_epi16(d16, a), _mm256_set1_epi16(0x0080));
    return _mm256_mulhi_epu16(t, _mm256_set1_epi16(0x0101));
}

__attribute__((target("avx2"))) void blendAvx2(std::uint32_t* destination,
                                               const std::uint32_t* source, int count) {
    const __m256i zero = _mm256_setzero_si256();
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + i));
        if (_mm256_testz_si256(s, s))
            continue; // eight transparent pixels change nothing
        auto* target = reinterpret_cast<__m256i*>(destination + i);
        const __m256i d = _mm256_loadu_si256(target);
        const __m256i low =
            scaleByInverseAlpha(_mm256_unpacklo_epi8(s, zero), _mm256_unpacklo_epi8(d, zero));
        const __m256i high =
            scaleByInverseAlpha(_mm256_unpackhi_epi8(s, zero), _mm256_unpackhi_epi8(d, zero));
        _mm256_storeu_si256(target, _mm256_adds_epu8(_mm256_packus_epi16(low, high), s));
    }
    for (; i < count; ++i)
        blendOne(destination[i], source[i]);
}

} // namespace

bool hasFastBlendOver() {
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2;
}

void blendOverRow(std::uint32_t* destination, const std::uint32_t* source, int count) {
    if (hasFastBlendOver()) {
        blendAvx2(destination, source, count);
        return;
    }
    for (int i = 0; i < count; ++i)
        blendOne(destination[i], source[i]);
}

} // namespace aerolune
