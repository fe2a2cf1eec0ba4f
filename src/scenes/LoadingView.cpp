#include "scenes/LoadingView.h"

namespace aerolune {

std::string LoadingView::text() const {
    if (!errorDescription_)
        return loadingText;
    return *errorDescription_ + "\n" + checkSettingsText;
}

} // namespace aerolune
