#pragma once

// A colour or opacity component from 0 to 1 as the byte it shows as, rounded
// half away from zero as std::lround rounds, without the library call: the
// gradients and the stars need it for every line and every piece of a frame.

#include <algorithm>
#include <cstdint>

namespace aerolune {

inline std::uint32_t unitByte(double value) {
    // Not a number shows as 0, as it did through std::lround.
    const double scaled = value > 0 ? std::min(value, 1.0) * 255 : 0.0;
    const auto whole = static_cast<std::uint32_t>(scaled);
    // Exact: whole <= scaled < 2 * whole, or whole is 0.
    return whole + (scaled - whole >= 0.5 ? 1u : 0u);
}

} // namespace aerolune
