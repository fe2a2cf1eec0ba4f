#pragma once

// Whether the machine runs on its battery, as the kernel tells it in
// /sys/class/power_supply: one folder a supply, each with its "type" (Mains,
// USB, Battery...) and its "online" (a mains or USB supply plugged in) or
// "status" (a battery's Charging, Discharging, Full, Not charging).
//
// On battery means no mains or USB supply online and a battery discharging:
// a desktop without a battery, a laptop on its charger, or a battery that
// says nothing clear are all on mains. $AEROLUNE_POWER_SUPPLY_DIR names
// another folder laid out the same way, for tests.

#include <filesystem>

namespace aerolune {

class PowerSupply {
public:
    PowerSupply() = delete;

    // $AEROLUNE_POWER_SUPPLY_DIR, else /sys/class/power_supply.
    static std::filesystem::path folder();

    static bool onBattery(const std::filesystem::path& folder);
    static bool onBattery() { return onBattery(folder()); }
};

} // namespace aerolune
