#include "desktop/DesktopBackground.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>

using namespace aerolune;

// The id of the first desktop of the list that keeps a picture, or how the
// reason why there is none begins.
TEST(DesktopBackgroundTest, TheFirstDesktopOfTheListThatKeepsAPictureOrWhyNone) {
    // clang-format off
    for (const auto& [names, expected] : {
             std::pair<std::string, std::string>{"ubuntu:GNOME", "gnome"}, {"Budgie:GNOME", "gnome"},
             {"X-Cinnamon", "cinnamon"}, {"MATE", "mate"}, {"XFCE", "xfce"}, {"KDE", "kde"}, {"sway:GNOME", "gnome"},
             {"Hyprland", "on hyprland the sky can be the wallpaper itself"}, {"", "cannot tell which desktop this is"},
             {"LXQt", "cannot set the background of the desktop \"LXQt\""}}) { // clang-format on
        const auto desktop = DesktopBackground::forDesktop(names);
        EXPECT_EQ(desktop ? (*desktop)->id() : desktop.error().message.substr(0, expected.size()),
                  expected)
            << names;
    }
}
