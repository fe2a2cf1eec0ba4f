#pragma once

#include "platform/core/Clock.h"

namespace aerolune {

class SystemClock final : public Clock {
public:
    TimePoint now() const override;
    double monotonic() const override;
};

} // namespace aerolune
