#include "platform/output/PngOutput.h"

#include "platform/core/AtomicFile.h"

namespace aerolune {
namespace {

cairo_status_t writeToFile(void* file, const unsigned char* bytes, unsigned int size) {
    return static_cast<AtomicFile*>(file)->write(bytes, size) ? CAIRO_STATUS_SUCCESS
                                                              : CAIRO_STATUS_WRITE_ERROR;
}

} // namespace

PngOutput::PngOutput(std::string path, Size size, double scale)
    : path_(std::move(path)), size_(size) {
    compositor_.setScale(scale);
}

void PngOutput::present(View& root, double now) {
    compositor_.render(root, now);
}

Result<void> PngOutput::save() const {
    if (!compositor_.image())
        return failure("no frame has been rendered");
    // A half-written picture must never take the place of a good one.
    AtomicFile file(path_);
    const cairo_status_t status =
        cairo_surface_write_to_png_stream(compositor_.image(), writeToFile, &file);
    if (file.error())
        return failure("cannot write " + path_ + ": " + file.error().message());
    if (status != CAIRO_STATUS_SUCCESS)
        return failure("cannot write " + path_ + ": " + cairo_status_to_string(status));
    if (const auto error = file.commit())
        return failure("cannot write " + path_ + ": " + error.message());
    return {};
}

} // namespace aerolune
