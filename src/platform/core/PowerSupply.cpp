#include "platform/core/PowerSupply.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <system_error>

namespace aerolune {
namespace {

namespace fs = std::filesystem;

// The first line of an attribute, or empty when there is none.
std::string attribute(const fs::path& supply, const char* name) {
    std::ifstream file(supply / name);
    std::string line;
    std::getline(file, line);
    return line;
}

} // namespace

fs::path PowerSupply::folder() {
    const char* folder = std::getenv("AEROLUNE_POWER_SUPPLY_DIR");
    return folder && *folder ? fs::path(folder) : fs::path("/sys/class/power_supply");
}

bool PowerSupply::onBattery(const fs::path& folder) {
    std::error_code error;
    bool discharging = false;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string type = attribute(entry.path(), "type");
        if ((type == "Mains" || type == "USB") && attribute(entry.path(), "online") == "1")
            return false;
        if (type == "Battery" && attribute(entry.path(), "status") == "Discharging")
            discharging = true;
    }
    return discharging;
}

} // namespace aerolune
