#pragma once

// Records the steps of a gradient walk as they begin: each new "colors"
// animation on a gradient layer, with the moment it began and what it animates
// between. Poll it after every turn of the queue.

#include "platform/core/Clock.h"
#include "platform/view/GradientLayer.h"

#include <optional>
#include <vector>

namespace aerolune::test {

struct GradientStepRecord {
    double begin;
    double duration;
    TimingFunction timing;
    std::vector<Color> from;
    std::vector<Color> to;
    std::vector<Color> model;
};

class GradientStepRecorder {
public:
    explicit GradientStepRecorder(const GradientLayer& layer) : layer_(layer) {}

    void poll() {
        const BasicAnimation* animation = layer_.animationForKey("colors");
        if (!animation || !animation->beginTime() ||
            (!steps_.empty() && steps_.back().begin == *animation->beginTime()))
            return;
        steps_.push_back({*animation->beginTime(), animation->duration(),
                          animation->timingFunction(), colors(animation->fromValue()),
                          colors(animation->toValue()), layer_.colors()});
    }

    const std::vector<GradientStepRecord>& steps() const { return steps_; }

private:
    static std::vector<Color> colors(const std::optional<AnimationValue>& value) {
        const auto* list = value ? std::get_if<std::vector<Color>>(&*value) : nullptr;
        return list ? *list : std::vector<Color>{};
    }

    const GradientLayer& layer_;
    std::vector<GradientStepRecord> steps_;
};

} // namespace aerolune::test
