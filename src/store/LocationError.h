#pragma once

// Why no location could be given. Only missingPref is raised; the other case
// keeps its text for the panel that may show it.

#include <string>

namespace aerolune {

enum class LocationError {
    authorizationDenied,
    missingPref,
};

// The readable description, in English as the log and the original texts
// have it.
std::string errorDescription(LocationError error);
// The same in the user's language, for the screen and the command line.
std::string localizedDescription(LocationError error);

} // namespace aerolune
