#include "scenes/LoadingHostingView.h"

#include <utility>

namespace aerolune {

LoadingHostingView::LoadingHostingView(std::optional<std::string> errorDescription,
                                       const Rect& frame)
    : AnimatableView(frame), rootView_(std::move(errorDescription)) {
    hostingView_->setWantsLayer(true);
    if (Layer* panel = hostingView_->layer()) {
        panel->setBackgroundColor(LoadingView::backgroundColor);
        textLayer_ = std::make_shared<TextLayer>();
        textLayer_->setText(rootView_.text());
        textLayer_->setForegroundColor(LoadingView::foregroundColor);
        panel->addSublayer(textLayer_);
    }
    addSubview(hostingView_);
}

void LoadingHostingView::layout() {
    AnimatableView::layout();
    hostingView_->setFrame(bounds());
    // The text layer centres the text in itself: it spans the whole panel.
    if (textLayer_)
        textLayer_->setFrame(hostingView_->bounds());
}

} // namespace aerolune
