#include "store/LocationError.h"

namespace aerolune {

std::string errorDescription(LocationError error) {
    switch (error) {
    case LocationError::authorizationDenied:
        return "Unable to determine the position of the sky.\nDefaulting to daytime.";
    case LocationError::missingPref:
        return "Missing location preference.";
    }
    return {};
}

} // namespace aerolune
