#include "platform/core/Random.h"

namespace aerolune {

Random& Random::shared() {
    static Random source{std::random_device{}() ^ (std::uint64_t(std::random_device{}()) << 32)};
    return source;
}

void Random::reseedShared(std::uint64_t seed) {
    shared() = Random(seed);
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
