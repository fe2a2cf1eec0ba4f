#pragma once

// Why no location could be given. Only missingPref is raised; the other case
// keeps its text for the panel that may show it.

#include <string>

namespace aerolune {

enum class LocationError {
    authorizationDenied,
    missingPref,
};

// The readable description shown to the user.
std::string errorDescription(LocationError error);

} // namespace aerolune
