#include "scenes/ViewFade.h"

#include "platform/core/MainQueue.h"
#include "platform/view/BasicAnimation.h"
#include "platform/view/Transaction.h"

namespace aerolune {
namespace {

constexpr double fadeDuration = 5.0;
constexpr int removalDelay = 5;

} // namespace

void removeFromSuperviewWithFade(View& view) {
    view.setWantsLayer(true);
    Transaction::begin();
    Transaction::setAnimationDuration(fadeDuration);
    Transaction::setAnimationTimingFunction(TimingFunction::easeInEaseOut);
    BasicAnimation fade("opacity");
    fade.setFromValue(1.0);
    fade.setToValue(0.0);
    if (Layer* layer = view.layer()) {
        // The model value, so that the view stays invisible once the fade is over.
        layer->setOpacity(0.0f);
        layer->addAnimation(fade, "opacity");
    }
    Transaction::commit();
    MainQueue::main().asyncAfter(removalDelay, view.weak_from_this(),
                                 [](View& faded) { faded.removeFromSuperview(); });
}

} // namespace aerolune
