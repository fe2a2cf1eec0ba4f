#include "platform/view/Transaction.h"

#include "platform/core/Clock.h"
#include "platform/view/BasicAnimation.h"

#include <utility>
#include <vector>

namespace aerolune {
namespace {

struct Frame {
    double duration = 0.25;
    TimingFunction timing = TimingFunction::linear;
    std::vector<std::weak_ptr<BasicAnimation>> animations;
};

std::vector<Frame>& stack() {
    static std::vector<Frame> frames;
    return frames;
}

} // namespace

void Transaction::begin() {
    Frame frame;
    if (!stack().empty()) {
        frame.duration = stack().back().duration;
        frame.timing = stack().back().timing;
    }
    stack().push_back(std::move(frame));
}

void Transaction::setAnimationDuration(double seconds) {
    if (!stack().empty())
        stack().back().duration = seconds;
}

void Transaction::setAnimationTimingFunction(TimingFunction function) {
    if (!stack().empty())
        stack().back().timing = function;
}

void Transaction::commit() {
    if (stack().empty())
        return;
    const double now = Clock::current().monotonic();
    for (const auto& weak : stack().back().animations)
        if (auto animation = weak.lock())
            animation->begin_ = now;
    stack().pop_back();
}

bool Transaction::isOpen() {
    return !stack().empty();
}

double Transaction::animationDuration() {
    return stack().empty() ? 0.25 : stack().back().duration;
}

TimingFunction Transaction::animationTimingFunction() {
    return stack().empty() ? TimingFunction::linear : stack().back().timing;
}

void Transaction::adopt(const std::shared_ptr<BasicAnimation>& animation) {
    animation->duration_ = animationDuration();
    animation->timing_ = animationTimingFunction();
    if (stack().empty())
        animation->begin_ = Clock::current().monotonic();
    else
        stack().back().animations.push_back(animation);
}

} // namespace aerolune
