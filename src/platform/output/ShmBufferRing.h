#pragma once

// The two or three buffers a Wayland surface draws its frames into, in turn.
// Each frame is drawn straight into a free buffer, and with it what changed
// while that buffer was away, copied from the buffer drawn last, which holds
// it all: no image of the drawing's own sits beside the buffers. (Drawing
// those pieces again cost a wlroots compositor's client a quarter more than
// the same frames on X11, where one image is kept: a twinkling star is drawn
// from its disc and blended, a cloud row from all the clouds on it; a copy
// only reads and writes.) A new size makes new buffers.

#include "platform/output/ShmBuffer.h"
#include "platform/render/Compositor.h"

#include <memory>
#include <vector>

struct wl_shm;

namespace aerolune {

class ShmBufferRing {
public:
    explicit ShmBufferRing(wl_shm* shm) : shm_(shm) {}

    struct Next {
        ShmBuffer* buffer = nullptr; // null while every buffer is busy
        bool changed = false;        // another buffer than the last frame's
        // What the buffer does not hold of the last frame, and the buffer
        // that holds it all (none when no buffer of this size was drawn).
        std::vector<PixelRect> stale;
        const ShmBuffer* last = nullptr;
    };
    // The buffer to draw the next frame of `width` x `height` into, which
    // becomes the newest.
    Next next(int width, int height);
    // The frame drawn into the newest buffer changed `rects`.
    void drawn(const std::vector<PixelRect>& rects);

    std::size_t size() const { return buffers_.size(); }

private:
    ShmBuffer* freeBuffer(int width, int height);

    wl_shm* shm_;
    std::vector<std::unique_ptr<ShmBuffer>> buffers_;
    ShmBuffer* newest_ = nullptr;
};

} // namespace aerolune
