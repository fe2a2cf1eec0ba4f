#include "platform/view/BasicAnimation.h"

#include <utility>

namespace aerolune {

BasicAnimation::BasicAnimation(std::string keyPath) : keyPath_(std::move(keyPath)) {}

// Out of line, and assigned in place: GCC's uninitialised-use warning misreads
// a variant built at the call site in some builds (sanitizers).
void BasicAnimation::setFromValue(double value) {
    from_.emplace(std::in_place_index<0>, value);
}

void BasicAnimation::setFromValue(const std::vector<Color>& value) {
    from_.emplace(std::in_place_index<1>, value);
}

void BasicAnimation::setFromValue(const AnimationValue& value) {
    from_ = value;
}

void BasicAnimation::setToValue(double value) {
    to_.emplace(std::in_place_index<0>, value);
}

void BasicAnimation::setToValue(const std::vector<Color>& value) {
    to_.emplace(std::in_place_index<1>, value);
}

void BasicAnimation::setToValue(const AnimationValue& value) {
    to_ = value;
}

double BasicAnimation::progress(double now) const {
    if (!begin_)
        return 0;
    if (!(duration_ > 0))
        return now >= *begin_ ? 1 : 0;
    return ease(timing_, (now - *begin_) / duration_);
}

bool BasicAnimation::hasEnded(double now) const {
    return begin_ && now >= *begin_ + duration_;
}

std::optional<AnimationValue> BasicAnimation::valueAt(double now) const {
    if (!from_ || !to_ || from_->index() != to_->index())
        return std::nullopt;
    const double t = progress(now);
    if (const auto* from = std::get_if<double>(&*from_))
        return *from + (std::get<double>(*to_) - *from) * t;
    const auto& fromColors = std::get<std::vector<Color>>(*from_);
    const auto& toColors = std::get<std::vector<Color>>(*to_);
    if (fromColors.size() != toColors.size())
        return t >= 1 ? toColors : fromColors;
    std::vector<Color> blended;
    blended.reserve(toColors.size());
    for (std::size_t i = 0; i < toColors.size(); ++i)
        blended.push_back(fromColors[i].interpolated(toColors[i], t));
    return blended;
}

} // namespace aerolune
