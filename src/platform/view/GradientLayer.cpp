#include "platform/view/GradientLayer.h"

#include <utility>

namespace aerolune {

void GradientLayer::setColors(std::vector<Color> colors) {
    if (colors == colors_)
        return;
    colors_ = std::move(colors);
    invalidate(presentationChanged);
}

std::vector<Color> GradientLayer::presentationColors(double now) const {
    if (const auto value = animatedValue("colors", now))
        if (const auto* colors = std::get_if<std::vector<Color>>(&*value))
            return *colors;
    return colors_;
}

} // namespace aerolune
