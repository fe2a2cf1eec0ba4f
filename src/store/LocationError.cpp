#include "store/LocationError.h"

#include "platform/core/Localization.h"

namespace aerolune {
namespace {

const char* text(LocationError error) {
    switch (error) {
    case LocationError::authorizationDenied:
        return N_("Unable to determine the position of the sky.\nDefaulting to daytime.");
    case LocationError::missingPref:
        return N_("Missing location preference.");
    }
    return "";
}

} // namespace

std::string errorDescription(LocationError error) {
    return text(error);
}

std::string localizedDescription(LocationError error) {
    return tr(text(error));
}

} // namespace aerolune
