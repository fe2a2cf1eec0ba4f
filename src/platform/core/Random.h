#pragma once

// The process's random source. Values are drawn exactly one way everywhere so
// that a seed (--seed N) reproduces a whole run:
// - uniform(low, high): 53 random bits scaled to [low, high); a result equal to
//   high (possible through rounding) is drawn again;
// - coin(): one bit of a fresh 64-bit value;
// - below(n): an unbiased whole number in [0, n), by rejection;
// - shuffle: Fisher-Yates, swapping each position i with one drawn from [i, end).
//
// There are two shared sources. The scenes draw on every frame (stars twinkle,
// clouds wrap), so how many values they have taken depends on how many frames
// were drawn; the backdrop's walks draw from a source of their own, so that a
// run which skips frames (a snapshot days ahead) chooses the same backdrop
// colours, in the same order, as a run that draws them all.

#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace aerolune {

class Random {
public:
    explicit Random(std::uint64_t seed) : engine_(seed) {}

    enum class Stream { scenes, backdrop };

    // A shared source, seeded from the system until reseeded.
    static Random& shared(Stream stream = Stream::scenes);
    // Reseeds both shared sources, each from `seed` in a way of its own.
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
