#include "desktop/DesktopBackground.h"

#include <gtest/gtest.h>
#include <utility>

using namespace aerolune;

TEST(DesktopBackgroundTest, TheFirstDesktopOfTheListThatKeepsAPictureOrWhyNone) {
    for (const auto& [names, id] : {std::pair{"ubuntu:GNOME", "gnome"},
                                    {"Budgie:GNOME", "gnome"},
                                    {"X-Cinnamon", "cinnamon"},
                                    {"MATE", "mate"},
                                    {"XFCE", "xfce"},
                                    {"KDE", "kde"},
                                    {"sway:GNOME", "gnome"}}) {
        const auto desktop = DesktopBackground::forDesktop(names);
        ASSERT_TRUE(desktop) << names;
        EXPECT_EQ((*desktop)->id(), id) << names;
    }
    for (const auto& [names, start] :
         {std::pair{"Hyprland", "on hyprland the sky can be the wallpaper itself"},
          {"", "cannot tell which desktop this is"},
          {"LXQt", "cannot set the background of the desktop \"LXQt\""}}) {
        const auto desktop = DesktopBackground::forDesktop(names);
        ASSERT_FALSE(desktop) << names;
        EXPECT_EQ(desktop.error().message.rfind(start, 0), 0u) << desktop.error().message;
    }
}
