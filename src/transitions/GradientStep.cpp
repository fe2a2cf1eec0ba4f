#include "transitions/GradientStep.h"

#include "platform/view/BasicAnimation.h"
#include "platform/view/Transaction.h"

#include <cstddef>
#include <utility>

namespace aerolune {

bool hasGradientStep(const std::vector<Color>& colors, int step) {
    return step >= 0 && static_cast<std::size_t>(step) < colors.size();
}

std::vector<Color> gradientStepTarget(const std::vector<Color>& colors, int step) {
    const auto index = static_cast<std::size_t>(step);
    if (index + 1 >= colors.size())
        return {colors.back(), colors.back()};
    return {colors[index], colors[index + 1]};
}

void animateGradientStep(GradientLayer& layer, const std::vector<Color>& colors, int step,
                         double duration) {
    Transaction::begin();
    Transaction::setAnimationDuration(duration);
    Transaction::setAnimationTimingFunction(TimingFunction::easeInEaseOut);
    auto target = gradientStepTarget(colors, step);
    BasicAnimation animation("colors");
    animation.setFromValue(layer.colors());
    animation.setToValue(target);
    layer.setColors(std::move(target));
    layer.addAnimation(animation, "colors");
    Transaction::commit();
}

} // namespace aerolune
