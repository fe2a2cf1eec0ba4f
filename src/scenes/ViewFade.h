#pragma once

// Retires a view: its opacity falls from 1 to 0 over five seconds, eased in and
// out, and five seconds after the call the view leaves its superview. The call
// returns at once. The delayed removal holds the view weakly: a view gone by
// then is left alone, and one already out of the tree stays out. A second call
// starts a second fade and schedules a second removal.

#include "platform/view/View.h"

namespace aerolune {

void removeFromSuperviewWithFade(View& view);

} // namespace aerolune
