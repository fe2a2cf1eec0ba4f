#include "scenes/CloudParticle.h"

#include "palette/ColorHelper.h"

namespace aerolune {

CloudParticle::CloudParticle(double alpha) {
    setBackgroundColor(ColorHelper::cloudColor(alpha));
}

void CloudParticle::layoutSublayers() {
    Layer::layoutSublayers();
    setCornerRadius(frame().height() * 0.5);
}

} // namespace aerolune
