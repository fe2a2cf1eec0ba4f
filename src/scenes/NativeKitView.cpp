#include "scenes/NativeKitView.h"

namespace aerolune {

NativeKitView::NativeKitView(const Rect& frame) : View(frame) {}

} // namespace aerolune
