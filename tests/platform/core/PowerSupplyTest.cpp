#include "platform/core/PowerSupply.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <tuple>

using namespace aerolune;
namespace fs = std::filesystem;

namespace {

// Supplies laid out as the kernel lays them out: a folder each, one value a file.
class Supplies {
public:
    ~Supplies() { fs::remove_all(root_); }
    Supplies& add(const std::string& name, const std::map<std::string, std::string>& values) {
        fs::create_directories(root_ / name);
        for (const auto& [attribute, value] : values)
            std::ofstream(root_ / name / attribute) << value << "\n";
        return *this;
    }
    const fs::path& folder() const { return root_; }

private:
    fs::path root_ = [] {
        std::string pattern = fs::temp_directory_path() / "aerolune-power-XXXXXX";
        return fs::path(::mkdtemp(pattern.data()));
    }();
};

} // namespace

TEST(PowerSupplyTest, OnBatteryOnlyWithNoSupplyOnlineAndABatteryDischarging) {
    const std::map<std::string, std::string> discharging{{"type", "Battery"},
                                                         {"status", "Discharging"}};
    for (const auto& [name, mains, battery, onBattery] :
         {std::tuple{"unplugged laptop", "0", "Discharging", true},
          {"laptop on its charger", "1", "Charging", false},
          {"charger in, battery still discharging", "1", "Discharging", false},
          {"unplugged, battery not charging", "0", "Not charging", false},
          {"unplugged, battery full", "0", "Full", false}}) {
        SCOPED_TRACE(name);
        Supplies supplies;
        supplies.add("AC", {{"type", "Mains"}, {"online", mains}})
            .add("BAT0", {{"type", "Battery"}, {"status", battery}});
        EXPECT_EQ(PowerSupply::onBattery(supplies.folder()), onBattery);
    }
    Supplies usb;
    usb.add("BAT1", discharging)
        .add("ucsi-source-psy-USBC000:001", {{"type", "USB"}, {"online", "1"}});
    EXPECT_FALSE(PowerSupply::onBattery(usb.folder())) << "a USB-C charger is mains too";
    Supplies bare;
    bare.add("BAT0", discharging).add("hidpp_battery_0", {{"type", "Battery"}, {"status", "Full"}});
    EXPECT_TRUE(PowerSupply::onBattery(bare.folder())) << "no mains supply listed at all";
    Supplies desktop;
    EXPECT_FALSE(PowerSupply::onBattery(desktop.folder())) << "nothing to run on";
    EXPECT_FALSE(PowerSupply::onBattery(desktop.folder() / "missing"));
}
