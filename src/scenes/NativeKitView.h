#pragma once

// The base of every sky and gradient view. It adds nothing to the platform
// view: it neither switches on layer backing nor draws. Subclasses that want a
// backing layer ask for one and skip their layer work when none comes.

#include "platform/view/View.h"

namespace aerolune {

class NativeKitView : public View {
public:
    explicit NativeKitView(const Rect& frame = {});
};

} // namespace aerolune
