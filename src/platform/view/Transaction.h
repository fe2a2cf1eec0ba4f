#pragma once

// Groups the explicit animations added to layers between begin() and commit():
// each takes the transaction's duration and timing function and begins at the
// commit. Transactions nest; an inner one starts with the outer one's settings.
// Main thread only.

#include "platform/view/TimingFunction.h"

#include <memory>

namespace aerolune {

class BasicAnimation;

class Transaction {
public:
    Transaction() = delete;

    static void begin();
    static void setAnimationDuration(double seconds);
    static void setAnimationTimingFunction(TimingFunction function);
    static void commit();

    static bool isOpen();
    static double animationDuration();
    static TimingFunction animationTimingFunction();

private:
    friend class Layer;
    // Gives an animation being added to a layer the open transaction's timing
    // and holds it until the commit stamps its begin time.
    static void adopt(const std::shared_ptr<BasicAnimation>& animation);
};

} // namespace aerolune
