#pragma once

// Shows frames in an X11 window: a window of its own, the root window, or an
// existing window given by id (XScreenSaver hands a hack its window that way).
//
// The compositor draws straight into an image shared with the X server
// (MIT-SHM); where sharing is not possible (a remote display) the image goes
// over the connection instead. Only the rectangles the compositor redrew are
// sent: a shared image as one copy clipped to them, an image sent over
// the connection as boxes around nearby ones (uploadBoxes). Nothing waits for the server:
// the next frame that draws waits, if need be, for the server's word that it
// has read the shared image (a completion event), and a frame that draws
// nothing sends nothing and never waits. The output follows the window's size, and reports itself
// gone when the window is destroyed or, for its own window, closed by the window manager.

#include "platform/core/Result.h"
#include "platform/output/FrameOutput.h"
#include "platform/render/Compositor.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace aerolune {

class X11Output : public FrameOutput {
public:
    enum class Mode { ownWindow, rootWindow, existingWindow };
    struct Target {
        Mode mode = Mode::ownWindow;
        unsigned long windowId = 0; // for existingWindow
        Size size{1280, 720};       // for ownWindow
        std::string title = "Aerolune";
        bool allowSharedMemory = true;
    };

    // Connects to $DISPLAY and prepares the window; the reason it cannot
    // when there is no display, no such window, no usable visual or no image.
    static Result<std::unique_ptr<X11Output>> open(const Target& target);
    // The id in "0x1a00005" or "27262981", or what is wrong with `text`, to
    // follow the name of the option. The protocol carries ids in 32 bits, so a
    // larger number is refused: Xlib would cut it down to another window's id.
    static Result<unsigned long> parseWindowId(std::string_view text);

    ~X11Output() override;
    X11Output(const X11Output&) = delete;
    X11Output& operator=(const X11Output&) = delete;

    // The window's size in points: its pixels over the scale.
    Size size() const override;
    // Device pixels a point from the next frame on (see Compositor).
    void setScale(double scale);
    // The text of the X resource Xft.dpi of the display (in the root
    // window's RESOURCE_MANAGER, where xrdb puts it), the desktop's choice of
    // dots per inch; nothing when it is not set.
    std::optional<std::string> resourceDpi() const;
    void present(View& root, double now) override;
    // The connection: while a window of our own is hidden, or frames are a
    // still saver's minute apart, its events wake the loop; while frames
    // come, they wait for the next one (see RunLoop).
    int eventFd() const override;
    bool processEvents() override;
    // A window of our own wants no frame while it is unmapped (minimised, on
    // another workspace) or wholly covered; the root window and a window
    // given by id always do, as their owners expect.
    bool wantsFrame() const override;

    unsigned long window() const;
    bool usesSharedMemory() const;
    const Compositor& compositor() const { return compositor_; }

private:
    struct Connection;

    explicit X11Output(std::unique_ptr<Connection> connection);
    // False when no image could be made: nothing is shown until the next resize.
    bool resizeImage(int width, int height);
    bool handleEvents();

    std::unique_ptr<Connection> x_;
    Compositor compositor_;
};

} // namespace aerolune
