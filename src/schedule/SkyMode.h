#pragma once

// The four skies, in the order they follow each other through a day.

#include <array>
#include <cstdint>
#include <string_view>

namespace aerolune {

enum class SkyMode : std::uint8_t {
    sunrise, // a sunrise gradient is shown
    day,     // the day sky
    sunset,  // a sunset gradient is shown
    night,   // the night sky
};

// Every mode in declared order (allCases): the only list of modes.
inline constexpr std::array<SkyMode, 4> allSkyModes{SkyMode::sunrise, SkyMode::day, SkyMode::sunset,
                                                    SkyMode::night};

// The mode that follows, wrapping from night to sunrise.
SkyMode next(SkyMode mode);

// "sunrise", "day", "sunset" or "night".
std::string_view describe(SkyMode mode);

} // namespace aerolune
