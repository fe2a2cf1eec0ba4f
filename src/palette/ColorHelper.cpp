#include "palette/ColorHelper.h"

namespace aerolune {
namespace {

// The colours that the two lists share with the tail of allColors.
Color lightYellow() {
    return ColorHelper::color(255, 229, 119);
}
Color lightOrange() {
    return ColorHelper::color(254, 192, 81);
}
Color salmon() {
    return ColorHelper::color(255, 137, 103);
}
Color coralRed() {
    return ColorHelper::color(253, 96, 81);
}
Color plum() {
    return ColorHelper::color(103, 32, 119);
}
Color greyishRose() {
    return ColorHelper::color(197, 172, 167);
}
Color peach() {
    return ColorHelper::color(250, 179, 149);
}
Color greyishBlue() {
    return ColorHelper::color(123, 149, 182);
}

} // namespace

Color ColorHelper::color(int red, int green, int blue, double alpha) {
    return Color(red / 255.0, green / 255.0, blue / 255.0, alpha);
}

Color ColorHelper::white(int level, double alpha) {
    const double grey = level / 255.0;
    return Color(grey, grey, grey, alpha);
}

// Function-local statics: built on first use, once, even under concurrent first
// reads, and never destroyed before the process ends.
#define AEROLUNE_PALETTE_MEMBER(name, expression)                                                  \
    const Color& ColorHelper::name() {                                                             \
        static const Color value = expression;                                                     \
        return value;                                                                              \
    }

AEROLUNE_PALETTE_MEMBER(daySkyColor, color(164, 221, 250))
AEROLUNE_PALETTE_MEMBER(nightSkyColor, color(19, 24, 98))
AEROLUNE_PALETTE_MEMBER(starColor, color(255, 248, 231, 0.95))
AEROLUNE_PALETTE_MEMBER(clearColor, Color(0, 0, 0, 0))
AEROLUNE_PALETTE_MEMBER(skyBlue, color(164, 221, 250))
AEROLUNE_PALETTE_MEMBER(midnightBlue, color(19, 24, 98))
AEROLUNE_PALETTE_MEMBER(cobalt, color(0, 71, 171))
AEROLUNE_PALETTE_MEMBER(magenta, color(255, 0, 255))
AEROLUNE_PALETTE_MEMBER(lilac, color(200, 162, 200))
AEROLUNE_PALETTE_MEMBER(royalBlue, color(65, 105, 225))
AEROLUNE_PALETTE_MEMBER(mustard, color(255, 219, 88))
AEROLUNE_PALETTE_MEMBER(softYellow, color(251, 232, 112))
AEROLUNE_PALETTE_MEMBER(purple, color(102, 51, 153))
AEROLUNE_PALETTE_MEMBER(darkPlum, color(44, 4, 28))
AEROLUNE_PALETTE_MEMBER(lightGreen, color(154, 211, 117))
AEROLUNE_PALETTE_MEMBER(lightBrown, color(166, 124, 82))
AEROLUNE_PALETTE_MEMBER(brightBlue, color(49, 140, 231))
AEROLUNE_PALETTE_MEMBER(cornflowerBlue, color(100, 149, 237))
AEROLUNE_PALETTE_MEMBER(dustyRose, color(184, 142, 144))
AEROLUNE_PALETTE_MEMBER(paleGrey, color(191, 196, 192))
AEROLUNE_PALETTE_MEMBER(paleYellow, color(249, 246, 141))
AEROLUNE_PALETTE_MEMBER(mauve, color(171, 144, 153))
AEROLUNE_PALETTE_MEMBER(periwinkle, color(114, 137, 218))
AEROLUNE_PALETTE_MEMBER(paleBlue, color(173, 201, 224))
AEROLUNE_PALETTE_MEMBER(lavender, color(235, 223, 255))
AEROLUNE_PALETTE_MEMBER(teal, color(86, 160, 167))

#undef AEROLUNE_PALETTE_MEMBER

const Color& ColorHelper::fuchsia() {
    return magenta();
}

Color ColorHelper::cloudColor(double alpha) {
    return white(250, alpha);
}

const std::vector<Color>& ColorHelper::sunriseColors() {
    static const std::vector<Color> colors{nightSkyColor(), greyishRose(), peach(), greyishBlue(),
                                           daySkyColor()};
    return colors;
}

const std::vector<Color>& ColorHelper::sunsetColors() {
    static const std::vector<Color> colors{daySkyColor(), lightYellow(), lightOrange(),  salmon(),
                                           coralRed(),    plum(),        nightSkyColor()};
    return colors;
}

const std::vector<Color>& ColorHelper::allColors() {
    static const std::vector<Color> colors{
        skyBlue(),     midnightBlue(), cobalt(),         magenta(),   lilac(),       royalBlue(),
        mustard(),     softYellow(),   purple(),         fuchsia(),   darkPlum(),    lightGreen(),
        lightBrown(),  brightBlue(),   cornflowerBlue(), dustyRose(), paleGrey(),    paleYellow(),
        mauve(),       periwinkle(),   paleBlue(),       lavender(),  teal(),        lightYellow(),
        lightOrange(), salmon(),       coralRed(),       plum(),      greyishRose(), peach(),
        greyishBlue()};
    return colors;
}

} // namespace aerolune
