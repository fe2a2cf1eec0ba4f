#include "platform/output/ShmBufferRing.h"

#include "platform/core/Log.h"

#include <algorithm>

namespace aerolune {
namespace {

// Two buffers let one be drawn while the compositor reads the other; a third
// covers a compositor that keeps the last one until the next is shown.
constexpr std::size_t mostBuffers = 3;

} // namespace

ShmBufferRing::Next ShmBufferRing::next(int width, int height) {
    std::erase_if(buffers_, [&](const auto& buffer) {
        const bool other = buffer->width() != width || buffer->height() != height;
        if (other && buffer.get() == newest_)
            newest_ = nullptr;
        return other;
    });
    ShmBuffer* buffer = freeBuffer(width, height);
    if (!buffer)
        return {};
    const bool changed = buffer != newest_;
    const ShmBuffer* last = newest_;
    newest_ = buffer;
    return {buffer, changed, buffer->takeStale(), changed ? last : nullptr};
}

void ShmBufferRing::drawn(const std::vector<PixelRect>& rects) {
    for (auto& buffer : buffers_)
        if (buffer.get() != newest_)
            buffer->addStale(rects);
}

ShmBuffer* ShmBufferRing::freeBuffer(int width, int height) {
    if (newest_ && !newest_->isBusy())
        return newest_;
    for (auto& buffer : buffers_)
        if (!buffer->isBusy())
            return buffer.get();
    if (buffers_.size() >= mostBuffers || width <= 0 || height <= 0)
        return nullptr;
    auto made = ShmBuffer::create(shm_, width, height);
    if (!made) {
        systemLog(made.error().message);
        return nullptr;
    }
    buffers_.push_back(std::move(made.value()));
    return buffers_.back().get();
}

} // namespace aerolune
