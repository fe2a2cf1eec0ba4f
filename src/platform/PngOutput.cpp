#include "platform/PngOutput.h"

namespace aerolune {

PngOutput::PngOutput(std::string path, Size size) : path_(std::move(path)), size_(size) {}

void PngOutput::present(View& root, double now) {
    compositor_.render(root, now);
}

std::optional<std::string> PngOutput::save() const {
    if (!compositor_.image())
        return "no frame has been rendered";
    const cairo_status_t status = cairo_surface_write_to_png(compositor_.image(), path_.c_str());
    if (status != CAIRO_STATUS_SUCCESS)
        return "cannot write " + path_ + ": " + cairo_status_to_string(status);
    return std::nullopt;
}

} // namespace aerolune
