#include "scenes/Star.h"

#include "palette/ColorHelper.h"

namespace aerolune {

Star::Star() {
    setBackgroundColor(ColorHelper::starColor());
}

void Star::layoutSublayers() {
    Layer::layoutSublayers();
    setCornerRadius(frame().height() * 0.5);
}

} // namespace aerolune
