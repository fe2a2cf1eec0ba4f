#pragma once

// The loading panel as a sky view: a white panel over the whole view with the
// LoadingView's text in the middle. The panel is the view's one subview, the
// hosting view, which every layout stretches over the view's bounds; the
// hosting view draws through its backing layer (white) and one text layer
// filling it. The panel never changes its text: a new message comes with a
// new view. animate() does nothing.

#include "platform/view/TextLayer.h"
#include "scenes/AnimatableView.h"
#include "scenes/LoadingView.h"

#include <memory>
#include <optional>
#include <string>

namespace aerolune {

class LoadingHostingView : public AnimatableView {
public:
    // The panel for an error (by its readable description), or the waiting
    // text without one.
    LoadingHostingView(std::optional<std::string> errorDescription, const Rect& frame);

    const LoadingView& rootView() const { return rootView_; }
    const std::shared_ptr<View>& hostingView() const { return hostingView_; }
    // The layer that shows the text; absent without layer backing.
    const TextLayer* textLayer() const { return textLayer_.get(); }

    void layout() override;
    void animate() override {}

private:
    LoadingView rootView_;
    std::shared_ptr<View> hostingView_ = std::make_shared<View>();
    std::shared_ptr<TextLayer> textLayer_;
};

} // namespace aerolune
