#pragma once

// How many device pixels make a point on an X11 screen: 2 on a HiDPI screen,
// so that the saver shows there the picture a screen of half its size shows,
// with twice the pixels. Taken from the first of these that says: --scale,
// $AEROLUNE_SCALE, $GDK_SCALE, the X resource Xft.dpi (96 is one pixel a
// point); otherwise 1. An environment or resource value that cannot be used
// is skipped with one log line: a desktop's setting must not stop the saver.

#include <optional>
#include <string>
#include <string_view>

namespace aerolune::DeviceScale {

constexpr double smallest = 0.5;
constexpr double largest = 4;

// A scale from smallest to largest, fractions allowed ("2", "1.5"), or nothing.
std::optional<double> parse(std::string_view text);

// The scale from those sources; null variables are unset, `dpi` is the text
// of Xft.dpi.
double choose(std::optional<double> option, const char* aeroluneScale, const char* gdkScale,
              const std::optional<std::string>& dpi);

} // namespace aerolune::DeviceScale
