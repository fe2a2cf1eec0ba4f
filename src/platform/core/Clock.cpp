#include "platform/core/Clock.h"

#include "platform/core/SystemClock.h"

#include <utility>

namespace aerolune {
namespace {

std::shared_ptr<Clock>& slot() {
    static std::shared_ptr<Clock> clock = std::make_shared<SystemClock>();
    return clock;
}

} // namespace

Clock& Clock::current() {
    return *slot();
}

std::shared_ptr<Clock> Clock::currentShared() {
    return slot();
}

void Clock::setCurrent(std::shared_ptr<Clock> clock) {
    slot() = clock ? std::move(clock) : std::make_shared<SystemClock>();
}

} // namespace aerolune
