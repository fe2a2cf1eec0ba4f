#include "host/SkySaverView.h"

#include <utility>

namespace aerolune {

std::shared_ptr<SkySaverView> SkySaverView::create(const Rect& frame, bool isPreview) {
    auto coordinator = SkyCoordinator::create();
    if (!isUsableFrame(frame))
        return nullptr;
    auto view = std::make_shared<SkySaverView>(std::move(coordinator), frame, isPreview);
    view->setAnimationTimeInterval(1.0 / 30.0);
    view->skyCoordinator_->setDelegate(std::static_pointer_cast<SkyCoordinatorDelegate>(view));
    return view;
}

SkySaverView::SkySaverView(std::shared_ptr<SkyCoordinator> coordinator, const Rect& frame,
                           bool isPreview)
    : ScreenSaverView(frame, isPreview), skyCoordinator_(std::move(coordinator)) {}

void SkySaverView::startAnimation() {
    ScreenSaverView::startAnimation();
    skyCoordinator_->start();
}

void SkySaverView::stopAnimation() {
    ScreenSaverView::stopAnimation();
    skyCoordinator_->stop();
}

void SkySaverView::animateOneFrame() {
    ScreenSaverView::animateOneFrame();
    skyCoordinator_->tick();
}

void SkySaverView::drawRect(const Rect& dirtyRect) {
    ScreenSaverView::drawRect(dirtyRect);
    if (const auto& current = skyCoordinator_->currentView())
        current->setFrame(bounds());
}

void SkySaverView::skyCoordinatorDidChange(const std::shared_ptr<NativeKitView>& view,
                                           const std::shared_ptr<NativeKitView>& previousView) {
    view->setFrame(bounds());
    if (!previousView)
        addSubview(view);
    else
        addSubview(view, Ordering::below, previousView.get());
}

} // namespace aerolune
