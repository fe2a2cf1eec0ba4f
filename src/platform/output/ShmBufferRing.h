#pragma once

// The two or three buffers a Wayland surface draws its frames into, in turn.
// Each frame is drawn straight into a free buffer, which first takes from the
// buffer drawn last what changed since it was itself drawn: a frame's pixels
// are drawn once and copied once, whatever the number of buffers, and no
// image of the drawing's own sits beside them. A new size makes new buffers.

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
        bool holdsNewest = false;    // it holds the last frame drawn, in full
    };
    // The buffer to draw the next frame of `width` x `height` into, which
    // becomes the newest once brought up to date (catchUp).
    Next next(int width, int height);
    // Brings the buffer `next` returned up to date, but for `redrawn`, which
    // the frame draws afresh. Once a frame, before it draws or, when it draws
    // nothing, after; a second call does nothing.
    void catchUp(const std::vector<PixelRect>& redrawn = {});
    // The frame drawn into the newest buffer changed `rects`.
    void drawn(const std::vector<PixelRect>& rects);

    std::size_t size() const { return buffers_.size(); }

private:
    ShmBuffer* freeBuffer(int width, int height);

    wl_shm* shm_;
    std::vector<std::unique_ptr<ShmBuffer>> buffers_;
    ShmBuffer* newest_ = nullptr;
    // The buffer that held the newest frame until `next`, while the new one
    // has not yet caught up with it.
    ShmBuffer* behind_ = nullptr;
};

} // namespace aerolune
