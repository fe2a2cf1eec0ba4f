#include "scenes/Cloud.h"

#include "palette/ColorHelper.h"
#include "platform/core/Random.h"

#include <cmath>

namespace aerolune {
namespace {

// How many puffs fit along a side: the whole points of the side, divided by
// the spacing. A side that is not a usable length holds none.
int puffCount(double length) {
    constexpr double longest = 1 << 20;
    if (!(length >= 0) || length > longest)
        return 0;
    return static_cast<int>(length) / static_cast<int>(Cloud::particleSpacing);
}

} // namespace

Cloud::Cloud(const Rect& frame)
    : cloudspeed_(Random::shared().uniform(minSpeed, maxSpeed)), unmade_(frame.size) {
    setFrame(frame);
    setBackgroundColor(ColorHelper::clearColor());
}

const std::vector<std::shared_ptr<Layer>>& Cloud::particles() {
    makeParticles();
    return sublayers();
}

void Cloud::layoutSublayers() {
    Layer::layoutSublayers();
    makeParticles();
}

void Cloud::makeParticles() {
    if (!unmade_)
        return;
    const Size size = *unmade_;
    unmade_.reset();
    for (auto& particle : buildParticles(size.width, size.height))
        addSublayer(std::move(particle));
}

std::vector<std::shared_ptr<CloudParticle>> Cloud::buildParticles(double width, double height) {
    const int columns = puffCount(width);
    const int rows = puffCount(height);
    const double halfWidth = width * 0.5;
    const double halfHeight = height * 0.5;
    // At the middle, dx x dy is a quarter of the area: this puts the densest
    // puff at 0.2.
    const double norm = width * height * 0.25 * 5.0;
    std::vector<std::shared_ptr<CloudParticle>> particles;
    particles.reserve(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
    for (int i = 0; i < columns; ++i) {
        const double px = particleSpacing * i;
        const double dx = px < halfWidth ? px : width - px;
        for (int j = 0; j < rows; ++j) {
            const double py = particleSpacing * j;
            const double dy = py < halfHeight ? py : height - py;
            auto particle = std::make_shared<CloudParticle>(dy * dx / norm);
            particle->setFrame(Rect(px, py, CloudParticle::size, CloudParticle::size));
            particles.push_back(std::move(particle));
        }
    }
    return particles;
}

} // namespace aerolune
