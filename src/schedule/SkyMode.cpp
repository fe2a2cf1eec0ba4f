#include "schedule/SkyMode.h"

#include <algorithm>

namespace aerolune {

SkyMode next(SkyMode mode) {
    const auto position = std::find(allSkyModes.begin(), allSkyModes.end(), mode);
    const auto following = position + 1;
    return following < allSkyModes.end() ? *following : allSkyModes.front();
}

std::string_view describe(SkyMode mode) {
    switch (mode) {
    case SkyMode::sunrise:
        return "sunrise";
    case SkyMode::day:
        return "day";
    case SkyMode::sunset:
        return "sunset";
    case SkyMode::night:
        return "night";
    }
    return "unknown";
}

} // namespace aerolune
