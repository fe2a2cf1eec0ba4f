#pragma once

// One picture in memory shared with the Wayland compositor: an anonymous file
// (memfd) of width x height 32-bit pixels (XRGB8888, the compositor's image
// format with the alpha ignored) and the wl_buffer over it. Once attached to a
// surface the compositor may read it until it releases it; until then it is
// busy and must not be written.
//
// Each buffer keeps the part of it that is older than the newest frame (its
// stale region), so that bringing it up to date draws only what changed since
// it was last drawn, not the whole picture.

#include "platform/core/Result.h"
#include "platform/render/CairoHandles.h"
#include "platform/render/Compositor.h"

#include <cstdint>
#include <memory>
#include <vector>

struct wl_buffer;
struct wl_shm;

namespace aerolune {

class ShmBuffer {
public:
    static Result<std::unique_ptr<ShmBuffer>> create(wl_shm* shm, int width, int height);
    ~ShmBuffer();
    ShmBuffer(const ShmBuffer&) = delete;
    ShmBuffer& operator=(const ShmBuffer&) = delete;

    wl_buffer* buffer() const { return buffer_; }
    int width() const { return width_; }
    int height() const { return height_; }
    unsigned char* pixels() const { return pixels_; }
    int stride() const { return stride_; }
    bool isBusy() const { return busy_; }
    // Attached: the compositor holds it until its release event.
    void markBusy() { busy_ = true; }
    // The compositor released it.
    void release() { busy_ = false; }

    // A newer frame changed these pixels.
    void addStale(const std::vector<PixelRect>& rects);
    // The pixels that do not hold the newest frame, to be drawn again; none
    // once taken.
    std::vector<PixelRect> takeStale();

private:
    ShmBuffer(int width, int height);
    static void released(void* data, wl_buffer*);

    int width_, height_;
    int stride_;
    unsigned char* pixels_ = nullptr;
    std::size_t bytes_ = 0;
    wl_buffer* buffer_ = nullptr;
    bool busy_ = false;
    CairoRegion stale_;
};

} // namespace aerolune
