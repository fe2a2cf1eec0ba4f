#include "platform/core/PowerSupply.h"

#include "support/PowerSupplies.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <tuple>
#include <utility>

using namespace aerolune;
using aerolune::test::PowerSupplies;

TEST(PowerSupplyTest, OnBatteryOnlyWithNoSupplyOnlineAndABatteryDischarging) {
    const std::map<std::string, std::string> discharging{{"type", "Battery"},
                                                         {"status", "Discharging"}};
    for (const auto& [name, mains, battery, onBattery] :
         {std::tuple{"unplugged laptop", "0", "Discharging", true},
          {"charger in, battery still discharging", "1", "Discharging", false},
          {"unplugged, battery not charging", "0", "Not charging", false}}) {
        SCOPED_TRACE(name);
        PowerSupplies supplies;
        supplies.add("AC", {{"type", "Mains"}, {"online", mains}})
            .add("BAT0", {{"type", "Battery"}, {"status", battery}});
        EXPECT_EQ(PowerSupply::onBattery(supplies.folder()), onBattery);
    }
    PowerSupplies usb;
    usb.add("BAT1", discharging)
        .add("ucsi-source-psy-USBC000:001", {{"type", "USB"}, {"online", "1"}});
    EXPECT_FALSE(PowerSupply::onBattery(usb.folder())) << "a USB-C charger is mains too";
    PowerSupplies bare;
    bare.add("BAT0", discharging).add("hidpp_battery_0", {{"type", "Battery"}, {"status", "Full"}});
    EXPECT_TRUE(PowerSupply::onBattery(bare.folder())) << "no mains supply listed at all";
    PowerSupplies desktop;
    EXPECT_FALSE(PowerSupply::onBattery(desktop.folder())) << "nothing to run on";
    EXPECT_FALSE(PowerSupply::onBattery(desktop.folder() / "missing"));
}
