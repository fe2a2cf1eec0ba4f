#pragma once

// An announced change of sky: at `date` the sky changes to `skyMode`. A plain
// value, replaced as a whole, never edited.

#include "platform/core/Time.h"
#include "schedule/SkyMode.h"

namespace aerolune {

struct SkyTransition {
    SkyMode skyMode;
    TimePoint date;
};

} // namespace aerolune
