#pragma once

// The view the screen-saver host creates: the abstract backdrop over the whole
// view and, above it, the sky window inset on every side by
// round(0.2 x sqrt(width x height)) points (halves away from zero). Where the
// inset leaves no area (a very long, thin view) the sky window has none and
// only the backdrop shows. It forwards the host's start, stop and frame calls
// to both and lays them out on every draw.

#include "host/AbstractSaverView.h"
#include "host/SkySaverView.h"
#include "platform/view/ScreenSaverView.h"
#include "sheet/ConfigureSheet.h"

#include <memory>

namespace aerolune {

class AeroluneSaverView : public ScreenSaverView {
public:
    static constexpr double animationInterval = 1.0 / 30.0;

    static std::shared_ptr<AeroluneSaverView> create(const Rect& frame, bool isPreview);

    // The margin around the sky window for a view of the given size.
    static double inset(Size size);

    const std::shared_ptr<AbstractSaverView>& abstractSaverView() const {
        return abstractSaverView_;
    }
    const std::shared_ptr<SkySaverView>& skySaverView() const { return skySaverView_; }

    void startAnimation() override;
    void stopAnimation() override;
    void animateOneFrame() override;
    void drawRect(const Rect& dirtyRect) override;

    bool hasConfigureSheet() const { return true; }
    // A new settings window, for whoever shows it (aerolune-settings): its
    // lookups answer through `mainThread`. It needs no saver to exist, so the
    // settings program asks for it without building one.
    static ConfigureSheet configureSheet(Geocoder::Poster mainThread);

    // Use create().
    AeroluneSaverView(std::shared_ptr<AbstractSaverView> abstractSaverView,
                      std::shared_ptr<SkySaverView> skySaverView, const Rect& frame,
                      bool isPreview);

private:
    std::shared_ptr<AbstractSaverView> abstractSaverView_;
    std::shared_ptr<SkySaverView> skySaverView_;
};

} // namespace aerolune
