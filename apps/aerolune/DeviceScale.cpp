#include "aerolune/DeviceScale.h"

#include "aerolune/DecimalNumber.h"
#include "platform/core/Log.h"
#include "platform/core/Trimmed.h"

#include <cmath>
#include <string>

namespace aerolune::DeviceScale {
namespace {

constexpr double pointsPerInch = 96;

// The scale a variable gives, when it is set; a value that cannot be used is
// logged and skipped.
std::optional<double> fromVariable(const char* name, const char* value) {
    if (!value || !*value)
        return std::nullopt;
    const auto scale = parse(value);
    if (!scale)
        systemLog("ignoring " + std::string(name) + "=\"" + value +
                  "\": not a scale from 0.5 to 4");
    return scale;
}

// The scale Xft.dpi gives; one that is not a number, or far outside what a
// screen has, is logged and skipped like a variable.
std::optional<double> fromDpi(const std::optional<std::string>& text) {
    if (!text)
        return std::nullopt;
    const auto dpi = parseDecimal(trimmed(*text, " \t\r\n"));
    if (dpi && *dpi / pointsPerInch >= smallest && *dpi / pointsPerInch <= largest)
        return *dpi / pointsPerInch;
    systemLog("ignoring Xft.dpi=\"" + *text + "\": not a resolution from " +
              std::to_string(int(smallest * pointsPerInch)) + " to " +
              std::to_string(int(largest * pointsPerInch)) + " dots per inch");
    return std::nullopt;
}

} // namespace

std::optional<double> parse(std::string_view text) {
    const auto value = parseDecimal(text);
    if (!value || !(*value >= smallest && *value <= largest))
        return std::nullopt;
    return value;
}

double choose(std::optional<double> option, const char* aeroluneScale, const char* gdkScale,
              const std::optional<std::string>& dpi) {
    if (option)
        return *option;
    if (const auto scale = fromVariable("AEROLUNE_SCALE", aeroluneScale))
        return *scale;
    if (const auto scale = fromVariable("GDK_SCALE", gdkScale))
        return *scale;
    return fromDpi(dpi).value_or(1);
}

} // namespace aerolune::DeviceScale
