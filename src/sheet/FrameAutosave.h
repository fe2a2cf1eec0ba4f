#pragma once

// Remembers where a window was and how large, under the window's autosave
// name ("Main Window"), so that it opens there on the next run. The frames
// live in a suite of their own, "AeroluneWindowFrames", beside the stored
// location but never in its file: a window moved around must not be able to
// spoil the place the saver reads.
//
// A frame is kept as "x y width height" in whole pixels, the position of the
// window's top-left corner on the screen. A missing, unreadable or absurd
// entry reads as no frame; the window then opens at its default place.

#include "platform/core/Result.h"

#include <optional>
#include <string>
#include <string_view>

namespace aerolune {

class FrameAutosave {
public:
    FrameAutosave() = delete;

    struct Frame {
        int x, y, width, height;
        bool operator==(const Frame&) const = default;
    };

    static constexpr std::string_view suiteName = "AeroluneWindowFrames";
    // Larger than any screen; anything beyond is not a frame we wrote.
    static constexpr int maximumExtent = 100000;

    static std::optional<Frame> frame(std::string_view autosaveName);
    // A success once it is on disk.
    static Result<void> setFrame(std::string_view autosaveName, Frame frame);

    static std::string format(Frame frame);
    static std::optional<Frame> parse(std::string_view text);
};

} // namespace aerolune
