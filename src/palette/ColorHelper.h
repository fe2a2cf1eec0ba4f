#pragma once

// The one palette of the sky: the scene colours, the sunrise and sunset colour
// lists and the 31 colours of the abstract gradient. Each member is built on
// its first read, once (safely under concurrent first reads), and kept for the
// life of the process. Integer components are divided by 255 in double
// precision, with no rounding, clamping or gamma step.

#include "platform/core/Color.h"

#include <vector>

namespace aerolune {

class ColorHelper {
public:
    ColorHelper() = delete;

    // Scene colours.
    static const Color& daySkyColor();
    static const Color& nightSkyColor();
    static const Color& starColor();
    static const Color& clearColor();
    // A new grey of level 250 with the given alpha on every call.
    static Color cloudColor(double alpha);

    // The named colours of allColors, in its order.
    static const Color& skyBlue();
    static const Color& midnightBlue();
    static const Color& cobalt();
    static const Color& magenta();
    static const Color& lilac();
    static const Color& royalBlue();
    static const Color& mustard();
    static const Color& softYellow();
    static const Color& purple();
    static const Color& fuchsia(); // the very colour magenta
    static const Color& darkPlum();
    static const Color& lightGreen();
    static const Color& lightBrown();
    static const Color& brightBlue();
    static const Color& cornflowerBlue();
    static const Color& dustyRose();
    static const Color& paleGrey();
    static const Color& paleYellow();
    static const Color& mauve();
    static const Color& periwinkle();
    static const Color& paleBlue();
    static const Color& lavender();
    static const Color& teal();

    // Night to day (5 colours).
    static const std::vector<Color>& sunriseColors();
    // Day to night (7 colours).
    static const std::vector<Color>& sunsetColors();
    // The 31 colours of the abstract gradient (magenta twice).
    static const std::vector<Color>& allColors();

    // red/255, green/255, blue/255 with the given alpha.
    static Color color(int red, int green, int blue, double alpha = 1.0);
    // The grey level/255 in all three components.
    static Color white(int level, double alpha);
};

} // namespace aerolune
