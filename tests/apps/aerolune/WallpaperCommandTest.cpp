// aerolune --wallpaper on each desktop's real settings: GNOME's, Cinnamon's
// and MATE's schemas through GSettings' key-file backend, Xfce's xfconfd on a
// private D-Bus session, each read back with the desktop's own tool; KDE
// Plasma's tool needs a running Plasma, so here a program of that name on the
// PATH records what it is asked. Then what goes wrong: a full disc, a missing
// schema, no D-Bus session, a desktop unknown or one with a live wallpaper.

#include "support/DBusSession.h"
#include "support/Pixels.h"
#include "support/PrivateXServer.h"
#include "support/Program.h"
#include "support/ScopedConfigHome.h"
#include "support/ScopedEnvironment.h"
#include "support/Sway.h"

#include <set>
#include <tuple>

using namespace aerolune;
using namespace aerolune::test;
namespace fs = std::filesystem;

namespace {

// A home for one desktop's settings and pictures, in Paris.
struct Desktop {
    ProgramRun wallpaper(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), "--wallpaper");
        arguments.insert(arguments.end(), {"--lat", "48.85", "--lon", "2.35", "--seed", "3"});
        return runProgram(AEROLUNE_PROGRAM, arguments, 120s);
    }
    std::string get(const std::string& schema, const std::string& key) const {
        auto value = runProgram("gsettings", {"get", schema, key}).out;
        return value.substr(0, value.find('\n'));
    }
    std::set<std::string> pictures() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(cache / "aerolune"))
            if (entry.path().extension() == ".png")
                names.insert(entry.path().string());
        return names;
    }

    ScopedConfigHome home;
    fs::path root = home.root(), cache = root / "cache";
    ScopedEnvironmentVariable cacheVariable{"XDG_CACHE_HOME", cache.c_str()},
        zone{"TZ", "Europe/Paris"}, keyfile{"GSETTINGS_BACKEND", "keyfile"};
};

// What a picture's file name is after "background: ".
std::string pictureOf(const ProgramRun& run) {
    const auto start = run.out.starts_with("background: ") ? 12 : run.out.size();
    return run.out.substr(start, run.out.find('\n') - start);
}

} // namespace

// Each GSettings desktop's own keys, zoomed: ten minutes into a sunset at the
// asked size (GNOME's dark picture too); a second picture within the same
// second has a name of its own and is the only one kept; --restore puts the
// desktop's own back, and a second --restore has nothing left to do.
TEST(WallpaperCommandTest,
     GSettingsDesktopsFollowTheSkyInTheirOwnKeysAndGetTheirOwnBackgroundBack) {
    for (const auto& [name, schema, key, form] :
         {std::tuple<std::string, std::string, std::string, std::string>{
              "GNOME", "org.gnome.desktop.background", "picture-uri", "file://"},
          {"X-Cinnamon", "org.cinnamon.desktop.background", "picture-uri", "file://"},
          {"MATE", "org.mate.background", "picture-filename", ""}}) {
        SCOPED_TRACE(name);
        Desktop desktop;
        const std::string before = desktop.get(schema, key);
        ASSERT_FALSE(before.empty()) << schema << " is not installed";
        const ScopedEnvironmentVariable current("XDG_CURRENT_DESKTOP", name.c_str());
        const std::vector<std::string> dusk = {"--once", "--size", "320x180", "--at",
                                               "2024-06-21T22:08:00+02:00"};
        const auto first = desktop.wallpaper(dusk);
        ASSERT_EQ(first.status, 0) << first.err;
        for (const std::string& each : {key, name == "GNOME" ? "picture-uri-dark" : key})
            EXPECT_EQ(desktop.get(schema, each), "'" + form + pictureOf(first) + "'") << each;
        EXPECT_EQ(desktop.get(schema, "picture-options"), "'zoom'");
        // The middle of the sky window of a 320x180 picture (inset by 48).
        const Pixels picture = Pixels::fromPng(pictureOf(first));
        ASSERT_EQ(std::pair(picture.width(), picture.height()), std::pair(320, 180));
        EXPECT_GT(picture.at(160, 90).r, picture.at(160, 90).b) << describe(picture.at(160, 90));
        const auto again = desktop.wallpaper(dusk);
        ASSERT_EQ(again.status, 0) << again.err;
        EXPECT_NE(pictureOf(again), pictureOf(first)) << "a name of its own within the same second";
        EXPECT_EQ(desktop.pictures(), std::set<std::string>{pictureOf(again)});
        for (const std::string expected :
             {"background set before the sky's is back\n", "nothing to put back: "}) {
            const auto restored = runProgram(AEROLUNE_PROGRAM, {"--wallpaper", "--restore"});
            EXPECT_EQ(restored.status, 0);
            EXPECT_NE(restored.out.find(expected), std::string::npos) << restored.out;
            EXPECT_EQ(desktop.get(schema, key), before);
            EXPECT_TRUE(desktop.pictures().empty());
        }
    }
}

// Every monitor's and workspace's last-image, read back with xfconf-query.
TEST(WallpaperCommandTest, XfceSetsEveryLastImageOverDBusAndPutsThemBack) {
    Desktop desktop;
    DBusSession bus;
    if (!bus.running())
        GTEST_SKIP() << "no dbus-daemon";
    // A workspace's last-image, read back or set with `set`.
    const auto lastImage = [](int workspace, std::vector<std::string> set = {}) {
        set.insert(set.begin(), {"-c", "xfce4-desktop", "-p",
                                 "/backdrop/screen0/monitorVirtual-1/workspace" +
                                     std::to_string(workspace) + "/last-image"});
        return runProgram("xfconf-query", set, 20s).out;
    };
    const auto xfce = [&] {
        return desktop.wallpaper({"--once", "--desktop", "xfce", "--size", "320x180"});
    };
    const auto none = xfce();
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("open Desktop in Xfce's settings once"), std::string::npos) << none.err;
    EXPECT_TRUE(desktop.pictures().empty()) << "no picture is left for a background not set";
    for (const int workspace : {0, 1})
        lastImage(workspace, {"-n", "-t", "string", "-s",
                              "/usr/share/old-" + std::to_string(workspace) + ".png"});
    const auto run = xfce();
    ASSERT_EQ(run.status, 0) << run.err;
    for (const int workspace : {0, 1})
        EXPECT_EQ(lastImage(workspace), pictureOf(run) + "\n");
    EXPECT_EQ(runProgram(AEROLUNE_PROGRAM, {"--wallpaper", "--restore"}).status, 0);
    for (const int workspace : {0, 1})
        EXPECT_EQ(lastImage(workspace),
                  "/usr/share/old-" + std::to_string(workspace) + ".png" + "\n");
}

// What cannot be done says so in one line, with status 1, and leaves the
// background and the folder as they were. KDE runs Plasma's tool and puts back
// the image its configuration named.
TEST(WallpaperCommandTest, WhatCannotBeDoneLeavesTheBackgroundAsItWasAndKdeRunsPlasmasTool) {
    Desktop desktop;
    const std::string schema = "org.gnome.desktop.background";
    const std::string before = desktop.get(schema, "picture-uri");
    // A full disc: the shell lets the program write 4 blocks.
    const auto full = runProgram("sh", {"-c", "trap '' XFSZ; ulimit -f 4; exec \"$@\"", "sh",
                                        AEROLUNE_PROGRAM, "--wallpaper", "--once", "--desktop",
                                        "gnome", "--size", "960x540", "--lat", "1", "--lon", "1"});
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("File too large"), std::string::npos) << full.err;
    const auto refused = [&](const char* variable, const char* value,
                             std::vector<std::string> arguments, const std::string& problem) {
        const ScopedEnvironmentVariable set(variable, value);
        arguments.insert(arguments.end(), {"--once", "--size", "32x18"});
        const auto run = desktop.wallpaper(arguments);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err.rfind("aerolune: " + problem, 0), 0u) << run.err;
    };
    refused("XDG_DATA_DIRS", "/nonexistent", {"--desktop", "mate"},
            "the GSettings schema org.mate.background is not installed");
    {
        const ScopedEnvironmentVariable dconf("GSETTINGS_BACKEND", "dconf");
        refused("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent", {"--desktop", "gnome"},
                "no D-Bus session to write the desktop's settings");
    }
    EXPECT_EQ(desktop.get(schema, "picture-uri"), before);
    EXPECT_TRUE(desktop.pictures().empty());
    EXPECT_FALSE(fs::exists(desktop.root / "cache/aerolune/previous-background.conf"));
    // Which desktops keep a picture is DesktopBackgroundTest's; here the refusal reaches the user.
    refused("XDG_CURRENT_DESKTOP", "Enlightenment", {},
            "cannot set the background of the desktop \"Enlightenment\": name one with --desktop");
    // Plasma's tool, standing in: it records each picture it is given, and
    // then is gone.
    const fs::path tool = desktop.root / "bin/plasma-apply-wallpaperimage";
    fs::create_directories(tool.parent_path());
    std::ofstream(tool) << "#!/bin/sh\necho \"$@\" >> '" << (desktop.root / "asked").string()
                        << "'\n";
    fs::permissions(tool, fs::perms::owner_all);
    std::ofstream(desktop.root / "plasma-org.kde.plasma.desktop-appletsrc")
        << "[Containments][1]\nplugin=org.kde.plasma.folder\n\n"
        << "[Containments][1][Wallpaper][org.kde.image][General]\n"
        << "Image=file:///usr/share/wallpapers/Next/\n";
    const std::string path = tool.parent_path().string() + ":" + std::getenv("PATH");
    const ScopedEnvironmentVariable onPath("PATH", path.c_str()), kde("XDG_CURRENT_DESKTOP", "KDE");
    const auto run = desktop.wallpaper({"--once", "--size", "320x180"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(runProgram(AEROLUNE_PROGRAM, {"--wallpaper", "--restore"}).status, 0);
    EXPECT_EQ(fileText(desktop.root / "asked"), pictureOf(run) + "\n/usr/share/wallpapers/Next/\n");
    fs::remove(tool);
    refused("XDG_CURRENT_DESKTOP", "KDE", {}, "plasma-apply-wallpaperimage cannot be run");
}

// Without --size, the picture is the largest monitor's, at its scale: the
// sky window is inset by a fifth of the geometric mean of the size in points.
// On X11 the resources say 192 dots per inch; on Wayland the second of two
// outputs is the larger, at scale 2.
TEST(WallpaperCommandTest, ThePictureHasTheLargestMonitorsSizeAndScale) {
    const auto expectInset = [](int width, int height) {
        Desktop desktop;
        const auto run = desktop.wallpaper(
            {"--once", "--desktop", "gnome", "--at", "2024-06-22T00:30:00+02:00"});
        ASSERT_EQ(run.status, 0) << run.err;
        const Pixels pixels = Pixels::fromPng(pictureOf(run));
        ASSERT_EQ(std::pair(pixels.width(), pixels.height()), std::pair(width, height));
        const int inset = skyInset(width / 2, height / 2, 2), y = height / 2;
        EXPECT_FALSE(near(pixels.at(inset - 2, y), pixels.at(inset + 2, y), 8));
        EXPECT_TRUE(near(pixels.at(inset + 2, y), pixels.at(inset + 6, y), 30));
    };
    {
        PrivateXServer server("1600x900x24");
        if (!server.display())
            GTEST_SKIP() << "no Xvfb";
        server.setResources("Xft.dpi: 192\n");
        const ScopedEnvironmentVariable display("DISPLAY", server.name().c_str()),
            wayland("WAYLAND_DISPLAY", nullptr);
        expectInset(1600, 900);
    }
    Sway sway("output HEADLESS-1 resolution 1280x720\n");
    SKIP_WITHOUT_SWAY(sway);
    ASSERT_TRUE(sway.message({"create_output"}));
    ASSERT_TRUE(sway.message({"output", "HEADLESS-2", "resolution", "1920x1080", "scale", "2"}));
    expectInset(1920, 1080);
}
