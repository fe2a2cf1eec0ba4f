#pragma once

// The answer to one lookup: the candidates, best first, or the error.

#include "geocode/GeocodeError.h"
#include "geocode/PlaceCandidate.h"
#include "platform/core/Result.h"

#include <vector>

namespace aerolune {

using GeocodeResult = Result<std::vector<PlaceCandidate>, GeocodeError>;

} // namespace aerolune
