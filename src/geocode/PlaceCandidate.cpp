#include "geocode/PlaceCandidate.h"

namespace aerolune {

std::string PlaceCandidate::describe() const {
    std::string text = postalCode;
    if (!name.empty())
        text += (text.empty() ? "" : " ") + name;
    for (const auto* part : {&region, &country}) {
        if (!part->empty())
            text += (text.empty() ? "" : ", ") + *part;
    }
    return text;
}

} // namespace aerolune
