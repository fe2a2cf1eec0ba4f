#pragma once

// The sky window: a complete saver view that shows what its sky coordinator
// decides. Every view the coordinator builds is sized to fill this view and
// inserted directly beneath the one it replaces, so that the old view, fading
// out above it, uncovers it. Its subviews are the coordinator's current view
// and the replaced views still fading out, newest at the bottom.

#include "platform/view/ScreenSaverView.h"
#include "schedule/SkyCoordinator.h"

#include <memory>

namespace aerolune {

class SkySaverView : public ScreenSaverView, public SkyCoordinatorDelegate {
public:
    // A new sky window already showing the loading panel; none for a frame no
    // window can have.
    static std::shared_ptr<SkySaverView> create(const Rect& frame, bool isPreview);

    const std::shared_ptr<SkyCoordinator>& skyCoordinator() const { return skyCoordinator_; }

    void startAnimation() override;
    void stopAnimation() override;
    void animateOneFrame() override;
    void drawRect(const Rect& dirtyRect) override;

    void skyCoordinatorDidChange(const std::shared_ptr<NativeKitView>& view,
                                 const std::shared_ptr<NativeKitView>& previousView) override;

    // Use create(): the coordinator refers back to the view weakly.
    SkySaverView(std::shared_ptr<SkyCoordinator> coordinator, const Rect& frame, bool isPreview);

private:
    std::shared_ptr<SkyCoordinator> skyCoordinator_;
};

} // namespace aerolune
