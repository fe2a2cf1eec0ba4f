#include "scenes/LoadingView.h"

#include "platform/core/Localization.h"

namespace aerolune {

std::string LoadingView::text() const {
    if (!errorDescription_)
        return tr("Loading the sky\u2026");
    return *errorDescription_ + "\n" + tr("Please check your settings.");
}

} // namespace aerolune
