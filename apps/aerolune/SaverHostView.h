#pragma once

// What the aerolune program hands its run loop: the saver filling the whole
// output, and, with -fps, the frame rate in the lower-left corner above it, as
// XScreenSaver's own hacks show it. The host's calls are passed on to the saver.

#include "host/AeroluneSaverView.h"
#include "platform/view/TextLayer.h"

#include <memory>

namespace aerolune {

class SaverHostView : public ScreenSaverView {
public:
    enum class FrameRate { hidden, shown };

    // None when the saver cannot be created for the frame.
    static std::shared_ptr<SaverHostView> create(const Rect& frame, bool isPreview,
                                                 FrameRate frameRate);

    SaverHostView(std::shared_ptr<AeroluneSaverView> saver, const Rect& frame, bool isPreview);

    const std::shared_ptr<AeroluneSaverView>& saver() const { return saver_; }
    // The text shown in the corner, empty without -fps.
    std::string frameRateText() const;

    // A still saver (on battery, when asked) draws a frame a minute instead
    // of thirty a second, and replaces a sky without a fade: what it shows is
    // the sky of the moment, without motion.
    static constexpr double stillFrameInterval = 60;
    void setStill(bool still);

    void startAnimation() override;
    void stopAnimation() override;
    void animateOneFrame() override;
    void layout() override;

private:
    void showFrameRate();
    void countFrame();

    std::shared_ptr<AeroluneSaverView> saver_;
    std::shared_ptr<View> frameRateView_;
    std::shared_ptr<TextLayer> frameRateText_;
    double countSince_ = 0;
    int framesCounted_ = 0;
};

} // namespace aerolune
