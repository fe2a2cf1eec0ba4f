#include "platform/core/Random.h"

namespace aerolune {

namespace {

std::uint64_t systemSeed() {
    return std::random_device{}() ^ (std::uint64_t(std::random_device{}()) << 32);
}

// Scrambles the seed for the second source so that the two do not run the
// same sequence.
std::uint64_t mixed(std::uint64_t seed) {
    seed += 0x9e3779b97f4a7c15u;
    seed = (seed ^ (seed >> 30)) * 0xbf58476d1ce4e5b9u;
    seed = (seed ^ (seed >> 27)) * 0x94d049bb133111ebu;
    return seed ^ (seed >> 31);
}

} // namespace

Random& Random::shared(Stream stream) {
    static Random scenes{systemSeed()};
    static Random backdrop{systemSeed()};
    return stream == Stream::backdrop ? backdrop : scenes;
}

void Random::reseedShared(std::uint64_t seed) {
    // The scenes take the seed as it is, as Random(seed) would.
    shared(Stream::scenes) = Random(seed);
    shared(Stream::backdrop) = Random(mixed(seed));
}

double Random::uniform(double low, double high) {
    if (!(low < high))
        return low;
    for (;;) {
        const double unit = double(next() >> 11) * 0x1.0p-53;
        const double value = low + unit * (high - low);
        if (value < high)
            return value;
    }
}

std::uint64_t Random::below(std::uint64_t n) {
    if (n <= 1)
        return 0;
    // Reject the top sliver of values that would make some results more likely.
    const std::uint64_t limit = UINT64_MAX - UINT64_MAX % n;
    for (;;) {
        const std::uint64_t value = next();
        if (value < limit)
            return value % n;
    }
}

} // namespace aerolune
