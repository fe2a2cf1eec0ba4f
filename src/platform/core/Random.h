#pragma once

// The process's random source. Values are drawn exactly one way everywhere so
// that a seed (--seed N) reproduces a whole run:
// - uniform(low, high): 53 random bits scaled to [low, high); a result equal to
//   high (possible through rounding) is drawn again;
// - coin(): one bit of a fresh 64-bit value;
// - below(n): an unbiased whole number in [0, n), by rejection;
// - shuffle: Fisher-Yates, swapping each position i with one drawn from [i, end).

#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace aerolune {

class Random {
public:
    explicit Random(std::uint64_t seed) : engine_(seed) {}

    // The shared source, seeded from the system until reseeded.
    static Random& shared();
    static void reseedShared(std::uint64_t seed);

    std::uint64_t next() { return engine_(); }
    double uniform(double low, double high);
    bool coin() { return (next() & 1u) != 0; }
    std::uint64_t below(std::uint64_t n);

    template <typename T> void shuffle(std::vector<T>& items) {
        if (items.size() < 2)
            return;
        for (std::size_t i = 0; i + 1 < items.size(); ++i) {
            const auto j = i + static_cast<std::size_t>(below(items.size() - i));
            using std::swap;
            swap(items[i], items[j]);
        }
    }

private:
    std::mt19937_64 engine_;
};

} // namespace aerolune
