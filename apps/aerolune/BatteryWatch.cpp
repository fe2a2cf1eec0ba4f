#include "aerolune/BatteryWatch.h"

#include "platform/core/Log.h"
#include "platform/core/MainQueue.h"
#include "platform/core/PowerSupply.h"

namespace aerolune {

std::shared_ptr<BatteryWatch> BatteryWatch::start(std::function<void(bool still)> apply) {
    std::shared_ptr<BatteryWatch> watch(new BatteryWatch(std::move(apply)));
    watch->check();
    return watch;
}

void BatteryWatch::check() {
    const bool still = PowerSupply::onBattery();
    if (!known_ || still != still_) {
        systemLog(still ? "on battery: the sky stands still, drawn once a minute"
                        : "on mains power: the sky moves");
        still_ = still;
        known_ = true;
        apply_(still);
    }
    MainQueue::main().asyncAfter(checkSeconds, weak_from_this(),
                                 [](BatteryWatch& self) { self.check(); });
}

} // namespace aerolune
