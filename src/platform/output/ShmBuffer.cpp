#include "platform/output/ShmBuffer.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>
#include <wayland-client.h>

namespace aerolune {
namespace {

std::string reason(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

} // namespace

// A new buffer holds nothing yet: all of it is stale.
ShmBuffer::ShmBuffer(int width, int height)
    : width_(width), height_(height), stride_(width * 4), stale_(cairo_region_create()) {
    const cairo_rectangle_int_t whole{0, 0, width, height};
    cairo_region_union_rectangle(stale_.get(), &whole);
}

Result<std::unique_ptr<ShmBuffer>> ShmBuffer::create(wl_shm* shm, int width, int height) {
    std::unique_ptr<ShmBuffer> made(new ShmBuffer(width, height));
    made->bytes_ = static_cast<std::size_t>(made->stride_) * static_cast<std::size_t>(height);
    const int fd = memfd_create("aerolune-frame", MFD_CLOEXEC);
    if (fd < 0)
        return failure(reason("cannot make shared memory for a frame"));
    if (ftruncate(fd, static_cast<off_t>(made->bytes_)) != 0) {
        const auto error = reason("cannot size shared memory for a frame");
        close(fd);
        return failure(error);
    }
    void* pixels = mmap(nullptr, made->bytes_, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels == MAP_FAILED) {
        const auto error = reason("cannot map shared memory for a frame");
        close(fd);
        return failure(error);
    }
    made->pixels_ = static_cast<unsigned char*>(pixels);
    // The pool is needed only to make the buffer, which keeps the memory
    // shared; the request carries a copy of the descriptor.
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(made->bytes_));
    made->buffer_ =
        wl_shm_pool_create_buffer(pool, 0, width, height, made->stride_, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    static constexpr wl_buffer_listener listener{released};
    wl_buffer_add_listener(made->buffer_, &listener, made.get());
    return made;
}

ShmBuffer::~ShmBuffer() {
    if (buffer_)
        wl_buffer_destroy(buffer_);
    if (pixels_)
        munmap(pixels_, bytes_);
}

void ShmBuffer::released(void* data, wl_buffer*) {
    static_cast<ShmBuffer*>(data)->release();
}

void ShmBuffer::addStale(const std::vector<PixelRect>& rects) {
    cairo_region_union(stale_.get(), regionOf(rects).get());
}

std::vector<PixelRect> ShmBuffer::takeStale() {
    const cairo_rectangle_int_t whole{0, 0, width_, height_};
    cairo_region_intersect_rectangle(stale_.get(), &whole);
    std::vector<PixelRect> stale = rectsOf(stale_.get());
    stale_.reset(cairo_region_create());
    return stale;
}

} // namespace aerolune
