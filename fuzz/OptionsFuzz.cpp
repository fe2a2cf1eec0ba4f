// The saver's command line: the input is its arguments, separated by NUL
// bytes as the kernel hands them over. Whatever is given, the parser answers
// with options or with one message, and the options it accepts are sound.

#include "aerolune/Options.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

using namespace aerolune;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> arguments;
    while (!rest.empty()) {
        const auto end = rest.find('\0');
        arguments.push_back(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    const auto parsed = Options::parse(arguments);
    if (!parsed) {
        if (parsed.error().message.empty())
            std::abort();
        return 0;
    }
    const auto& options = *parsed;
    const bool sound =
        (!options.latitude || std::abs(*options.latitude) <= 90) &&
        (!options.longitude || std::abs(*options.longitude) <= 180) &&
        (!options.at || std::isfinite(*options.at)) &&
        (!options.duration || (*options.duration >= 0 && *options.duration <= 400 * 86400.0)) &&
        (!options.after || (*options.after >= 0 && *options.after <= 400 * 86400.0)) &&
        (!options.size || (options.size->width >= 1 && options.size->height >= 1));
    if (!sound)
        std::abort();
    return 0;
}
