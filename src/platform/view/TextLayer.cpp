#include "platform/view/TextLayer.h"

#include <utility>

namespace aerolune {

void TextLayer::setText(std::string text) {
    if (text == text_)
        return;
    text_ = std::move(text);
    invalidate(contentChanged);
}

void TextLayer::setForegroundColor(const Color& color) {
    if (color == foreground_)
        return;
    foreground_ = color;
    invalidate(contentChanged);
}

void TextLayer::setFontSize(double points) {
    if (points == fontSize_)
        return;
    fontSize_ = points;
    invalidate(contentChanged);
}

} // namespace aerolune
