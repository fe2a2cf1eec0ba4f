#pragma once

// Frames into a PNG file: each present() renders the tree; save() writes the
// latest frame, replacing the file as a whole or not at all. Used for
// headless snapshots.

#include "platform/core/Result.h"
#include "platform/output/FrameOutput.h"
#include "platform/render/Compositor.h"

#include <string>

namespace aerolune {

class PngOutput : public FrameOutput {
public:
    // Frames of `size` points, drawn at `scale` pixels a point.
    PngOutput(std::string path, Size size, double scale = 1);

    Size size() const override { return size_; }
    void present(View& root, double now) override;

    // Writes the latest frame; the reason when that fails, with the file as
    // it was before.
    Result<void> save() const;

    const Compositor& compositor() const { return compositor_; }

private:
    std::string path_;
    Size size_;
    Compositor compositor_;
};

} // namespace aerolune
