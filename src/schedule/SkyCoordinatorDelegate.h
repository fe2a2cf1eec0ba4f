#pragma once

// The party that puts the coordinator's views on screen (the sky window).

#include <memory>

namespace aerolune {

class NativeKitView;

class SkyCoordinatorDelegate {
public:
    virtual ~SkyCoordinatorDelegate() = default;

    // `view` is the new current view; `previousView` the one it replaces, absent
    // for the first view.
    virtual void skyCoordinatorDidChange(const std::shared_ptr<NativeKitView>& view,
                                         const std::shared_ptr<NativeKitView>& previousView) = 0;
};

} // namespace aerolune
