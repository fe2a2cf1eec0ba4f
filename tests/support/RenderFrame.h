#pragma once

// One frame of a view tree as the host loop draws it (layout pass, display
// pass, compositor), read back for tests that check pictures by their
// properties.

#include "platform/render/Compositor.h"
#include "support/Pixels.h"

namespace aerolune::test {

inline Pixels renderFrame(Compositor& compositor, View& root, double now) {
    root.layoutSubtreeIfNeeded();
    root.displayIfNeeded();
    compositor.render(root, now);
    return Pixels(compositor.image());
}

} // namespace aerolune::test
