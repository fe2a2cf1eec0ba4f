#pragma once

// A layer that shows text: one or more lines ("\n" breaks), each centred,
// the block centred in the layer and cut at its edges, in the default
// sans-serif face. The renderer lays the text out; nothing here knows about
// fonts beyond their size.

#include "platform/view/Layer.h"

#include <string>

namespace aerolune {

class TextLayer : public Layer {
public:
    // The size of the platform's default body text, in points.
    static constexpr double defaultFontSize = 13;

    const std::string& text() const { return text_; }
    void setText(std::string text);
    // The colour of the glyphs, alpha included.
    const Color& foregroundColor() const { return foreground_; }
    void setForegroundColor(const Color& color);
    double fontSize() const { return fontSize_; }
    void setFontSize(double points);

    bool showsBackgroundOnly() const override { return false; }
    bool paintsContent() const override { return true; }
    void paintContent(LayerContentPainter& painter, double alpha) const override {
        painter.paintText(*this, alpha);
    }

private:
    std::string text_;
    Color foreground_{0, 0, 0, 1};
    double fontSize_ = defaultFontSize;
};

} // namespace aerolune
