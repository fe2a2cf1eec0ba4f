#pragma once

// An animation of one property of a layer from one value to another: "opacity"
// (a number) or "colors" (a list of colours, blended entry by entry).
//
// It has no duration or timing of its own: when added to a layer inside an open
// Transaction it takes that transaction's duration and timing function, and it
// begins when the transaction commits. Outside a transaction it begins at once
// and lasts 0.25 s, linearly. Values at a moment are computed from the
// animation alone, so rendering any moment is exact and needs no per-frame work.

#include "platform/core/Color.h"
#include "platform/view/TimingFunction.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace aerolune {

using AnimationValue = std::variant<double, std::vector<Color>>;

class BasicAnimation {
public:
    explicit BasicAnimation(std::string keyPath);

    const std::string& keyPath() const { return keyPath_; }

    // A number for "opacity", a list of colours for "colors".
    void setFromValue(double value);
    void setFromValue(const std::vector<Color>& value);
    void setFromValue(const AnimationValue& value);
    void setToValue(double value);
    void setToValue(const std::vector<Color>& value);
    void setToValue(const AnimationValue& value);
    const std::optional<AnimationValue>& fromValue() const { return from_; }
    const std::optional<AnimationValue>& toValue() const { return to_; }

    double duration() const { return duration_; }
    TimingFunction timingFunction() const { return timing_; }
    // The monotonic moment the animation began; absent until its transaction commits.
    std::optional<double> beginTime() const { return begin_; }

    // Eased progress at a moment: 0 before the start, 1 from the end on.
    double progress(double now) const;
    // True once the animation has run its whole duration.
    bool hasEnded(double now) const;

    // The interpolated value at a moment; absent when from or to is missing or
    // their kinds differ. Colour lists of different lengths jump to the target.
    std::optional<AnimationValue> valueAt(double now) const;

private:
    friend class Layer;
    friend class Transaction;

    std::string keyPath_;
    std::optional<AnimationValue> from_;
    std::optional<AnimationValue> to_;
    double duration_ = 0.25;
    TimingFunction timing_ = TimingFunction::linear;
    std::optional<double> begin_;
};

} // namespace aerolune
