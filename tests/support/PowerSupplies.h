#pragma once

// Power supplies laid out as the kernel lays them out: a folder each, one
// value a file. While they live, $AEROLUNE_POWER_SUPPLY_DIR names them.

#include "support/ScopedEnvironment.h"
#include "support/TemporaryFolder.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace aerolune::test {

class PowerSupplies {
public:
    PowerSupplies& add(const std::string& name, const std::map<std::string, std::string>& values) {
        std::filesystem::create_directories(folder() / name);
        for (const auto& [attribute, value] : values)
            std::ofstream(folder() / name / attribute) << value << "\n";
        return *this;
    }
    // A laptop's charger and battery, plugged in or not.
    PowerSupplies& laptop(bool pluggedIn) {
        return add("AC", {{"type", "Mains"}, {"online", pluggedIn ? "1" : "0"}})
            .add("BAT0", {{"type", "Battery"}, {"status", pluggedIn ? "Charging" : "Discharging"}});
    }
    const std::filesystem::path& folder() const { return root_.path(); }

private:
    TemporaryFolder root_{"aerolune-power"};
    ScopedEnvironmentVariable variable_{"AEROLUNE_POWER_SUPPLY_DIR", root_.path().c_str()};
};

} // namespace aerolune::test
