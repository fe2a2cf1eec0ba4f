// What --at and the lengths of time (--simulate, --after) are read from.
// An accepted moment is finite and written back as the same moment; an
// accepted length is finite and not negative.

#include "platform/core/Time.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace aerolune;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto moment = parseIso8601(text)) {
        if (!std::isfinite(*moment))
            std::abort();
        // Years 0000 to 9999, the ones formatUtc writes with four digits.
        constexpr double yearZero = -62167219200, yearTenThousand = 253402300800;
        if (*moment >= yearZero && *moment < yearTenThousand &&
            parseIso8601(formatUtc(*moment)) != moment)
            std::abort();
    }
    if (const auto length = parseDuration(text)) {
        if (!std::isfinite(*length) || *length < 0)
            std::abort();
    }
    return 0;
}
