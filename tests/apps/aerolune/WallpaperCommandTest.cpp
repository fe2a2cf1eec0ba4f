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

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

using namespace aerolune;
using namespace aerolune::test;
namespace fs = std::filesystem;

namespace {

// A home for one desktop's settings and pictures, in Paris.
class Desktop {
public:
    Desktop() {
        fs::create_directories(cache_);
        std::ofstream(home_.root() / "wall.png") << "not really a picture";
    }
    ~Desktop() { fs::remove_all(cache_); }

    ProgramRun wallpaper(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), "--wallpaper");
        arguments.insert(arguments.end(), {"--lat", "48.85", "--lon", "2.35", "--seed", "3"});
        return runProgram(AEROLUNE_PROGRAM, arguments, 120s);
    }
    std::string get(const std::string& schema, const std::string& key) const {
        auto value = runProgram("gsettings", {"get", schema, key}).out;
        return value.substr(0, value.find('\n'));
    }
    std::vector<std::string> pictures() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(cache_ / "aerolune"))
            if (entry.path().extension() == ".png")
                names.push_back(entry.path().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    const fs::path& root() const { return home_.root(); }

private:
    ScopedConfigHome home_;
    fs::path cache_ = home_.root() / "cache";
    ScopedEnvironmentVariable cacheVariable_{"XDG_CACHE_HOME", cache_.c_str()};
    ScopedEnvironmentVariable zone_{"TZ", "Europe/Paris"};
    ScopedEnvironmentVariable keyfile_{"GSETTINGS_BACKEND", "keyfile"};
};

// What a picture's file name is after "background: ".
std::string pictureOf(const ProgramRun& run) {
    const std::string prefix = "background: ";
    return run.out.starts_with(prefix)
               ? run.out.substr(prefix.size(), run.out.find('\n') - prefix.size())
               : "";
}

std::string quoted(const std::string& text) {
    return "'" + text + "'";
}

// The middle of the sky window of a 320x180 picture (inset by 48).
Rgb middleOf(const std::string& picture) {
    const Pixels pixels = Pixels::fromPng(picture);
    EXPECT_TRUE(pixels.valid() && pixels.width() == 320 && pixels.height() == 180) << picture;
    return pixels.valid() ? pixels.at(160, 90) : Rgb{};
}

} // namespace

// GNOME's picture-uri and picture-uri-dark, zoomed: ten minutes into a
// sunset at the asked size; a second picture within the same second has a
// name of its own and is the only one kept; --restore puts GNOME's own back,
// and a second --restore has nothing left to do.
TEST(WallpaperCommandTest, GnomeFollowsTheSkyAndGetsItsOwnBackgroundBack) {
    Desktop desktop;
    const std::string schema = "org.gnome.desktop.background";
    const std::string before = desktop.get(schema, "picture-uri");
    ASSERT_FALSE(before.empty()) << "no GNOME schema";
    const std::vector<std::string> dusk = {
        "--once", "--desktop", "gnome", "--size", "320x180", "--at", "2024-06-21T22:08:00+02:00"};
    const auto first = desktop.wallpaper(dusk);
    ASSERT_EQ(first.status, 0) << first.err;
    const std::string uri = quoted("file://" + pictureOf(first));
    EXPECT_EQ(desktop.get(schema, "picture-uri"), uri);
    EXPECT_EQ(desktop.get(schema, "picture-uri-dark"), uri);
    EXPECT_EQ(desktop.get(schema, "picture-options"), "'zoom'");
    const Rgb sunset = middleOf(pictureOf(first));
    EXPECT_TRUE(sunset.r > sunset.b) << describe(sunset);
    const auto again = desktop.wallpaper(dusk);
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_NE(pictureOf(again), pictureOf(first)) << "a name of its own within the same second";
    EXPECT_EQ(desktop.pictures(), std::vector<std::string>{pictureOf(again)});

    for (const auto& expected :
         {std::string("the GNOME background set before the sky's is back\n"),
          std::string("nothing to put back: no earlier background is saved "
                      "(it was put back already, or no picture was set)\n")}) {
        const auto restored = runProgram(AEROLUNE_PROGRAM, {"--wallpaper", "--restore"});
        EXPECT_EQ(std::pair(restored.status, restored.out), std::pair(0, expected));
        EXPECT_EQ(desktop.get(schema, "picture-uri"), before);
        EXPECT_TRUE(desktop.pictures().empty());
    }
}

TEST(WallpaperCommandTest, CinnamonAndMateKeepThePictureInTheirOwnKeys) {
    for (const auto& [name, schema, key, form] :
         {std::tuple<std::string, std::string, std::string, std::string>{
              "X-Cinnamon", "org.cinnamon.desktop.background", "picture-uri", "file://"},
          {"MATE", "org.mate.background", "picture-filename", ""}}) {
        SCOPED_TRACE(name);
        Desktop desktop;
        if (desktop.get(schema, key).empty())
            GTEST_SKIP() << schema << " is not installed";
        const ScopedEnvironmentVariable current("XDG_CURRENT_DESKTOP", name.c_str());
        const auto run =
            desktop.wallpaper({"--once", "--size", "320x180", "--at", "2024-06-21T12:00:00+02:00"});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(desktop.get(schema, key), quoted(form + pictureOf(run)));
        EXPECT_EQ(desktop.get(schema, "picture-options"), "'zoom'");
    }
}

// Every monitor's and workspace's last-image, read back with xfconf-query.
TEST(WallpaperCommandTest, XfceSetsEveryLastImageOverDBusAndPutsThemBack) {
    Desktop desktop;
    DBusSession bus;
    if (!bus.running())
        GTEST_SKIP() << "no dbus-daemon";
    const std::string base = "/backdrop/screen0/monitorVirtual-1/workspace";
    const auto query = [](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"-c", "xfce4-desktop"});
        return runProgram("xfconf-query", arguments, 20s);
    };
    const auto none = desktop.wallpaper({"--once", "--desktop", "xfce", "--size", "320x180"});
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("open Desktop in Xfce's settings once"), std::string::npos) << none.err;
    EXPECT_TRUE(desktop.pictures().empty()) << "no picture is left for a background not set";
    for (const char* workspace : {"0", "1"})
        ASSERT_EQ(query({"-p", base + workspace + "/last-image", "-n", "-t", "string", "-s",
                         "/usr/share/old-" + std::string(workspace) + ".png"})
                      .status,
                  0);
    const auto run = desktop.wallpaper({"--once", "--desktop", "xfce", "--size", "320x180"});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* workspace : {"0", "1"})
        EXPECT_EQ(query({"-p", base + workspace + "/last-image"}).out, pictureOf(run) + "\n");
    EXPECT_EQ(runProgram(AEROLUNE_PROGRAM, {"--wallpaper", "--restore"}).status, 0);
    for (const char* workspace : {"0", "1"})
        EXPECT_EQ(query({"-p", base + workspace + "/last-image"}).out,
                  "/usr/share/old-" + std::string(workspace) + ".png\n");
}

// Plasma's tool, standing in: it records each picture it is given.
TEST(WallpaperCommandTest, KdeRunsPlasmasToolAndPutsBackTheImageItsConfigurationNamed) {
    Desktop desktop;
    const fs::path bin = desktop.root() / "bin", record = desktop.root() / "asked";
    fs::create_directories(bin);
    std::ofstream(bin / "plasma-apply-wallpaperimage")
        << "#!/bin/sh\necho \"$@\" >> '" << record.string() << "'\n";
    fs::permissions(bin / "plasma-apply-wallpaperimage", fs::perms::owner_all);
    std::ofstream(desktop.root() / "plasma-org.kde.plasma.desktop-appletsrc")
        << "[Containments][1]\nplugin=org.kde.plasma.folder\n\n"
        << "[Containments][1][Wallpaper][org.kde.image][General]\n"
        << "Image=file:///usr/share/wallpapers/Next/\n";
    const std::string path = bin.string() + ":" + std::getenv("PATH");
    const ScopedEnvironmentVariable onPath("PATH", path.c_str());
    const ScopedEnvironmentVariable kde("XDG_CURRENT_DESKTOP", "KDE");
    const auto run = desktop.wallpaper({"--once", "--size", "320x180"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(runProgram(AEROLUNE_PROGRAM, {"--wallpaper", "--restore"}).status, 0);
    EXPECT_EQ(fileText(record), pictureOf(run) + "\n/usr/share/wallpapers/Next/\n");
    fs::remove(bin / "plasma-apply-wallpaperimage");
    const auto missing = desktop.wallpaper({"--once", "--size", "320x180"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("plasma-apply-wallpaperimage cannot be run"), std::string::npos)
        << missing.err;
}

// What cannot be done says so in one line, with status 1, and leaves the
// background and the folder as they were.
TEST(WallpaperCommandTest, WhatCannotBeDoneLeavesTheBackgroundAsItWas) {
    Desktop desktop;
    const std::string schema = "org.gnome.desktop.background";
    const std::string before = desktop.get(schema, "picture-uri");
    {
        SCOPED_TRACE("a full disc: the shell lets the program write 4 blocks");
        const auto run =
            runProgram("sh", {"-c", "trap '' XFSZ; ulimit -f 4; exec \"$@\"", "sh",
                              AEROLUNE_PROGRAM, "--wallpaper", "--once", "--desktop", "gnome",
                              "--size", "960x540", "--lat", "1", "--lon", "1"});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("File too large"), std::string::npos) << run.err;
    }
    {
        SCOPED_TRACE("no schemas at all");
        const ScopedEnvironmentVariable nowhere("XDG_DATA_DIRS", "/nonexistent");
        const auto run = desktop.wallpaper({"--once", "--desktop", "mate", "--size", "32x18"});
        EXPECT_EQ(std::pair(run.status, run.err),
                  std::pair(1, std::string("aerolune: the GSettings schema org.mate.background is "
                                           "not installed, so MATE's background cannot be set\n")));
    }
    {
        SCOPED_TRACE("dconf without a D-Bus session");
        const ScopedEnvironmentVariable dconf("GSETTINGS_BACKEND", "dconf");
        const ScopedEnvironmentVariable bus("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");
        const auto run = desktop.wallpaper({"--once", "--desktop", "gnome", "--size", "32x18"});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err.rfind("aerolune: no D-Bus session to write the desktop's settings", 0),
                  0u)
            << run.err;
    }
    EXPECT_EQ(desktop.get(schema, "picture-uri"), before);
    EXPECT_TRUE(desktop.pictures().empty());
    EXPECT_FALSE(fs::exists(desktop.root() / "cache/aerolune/previous-background.conf"));
    // Which desktops keep a picture is DesktopBackgroundTest's; here the refusal reaches the user.
    const ScopedEnvironmentVariable unknown("XDG_CURRENT_DESKTOP", "Enlightenment");
    const auto run = desktop.wallpaper({"--once"});
    EXPECT_EQ(std::pair(run.status, run.err),
              std::pair(1, std::string("aerolune: cannot set the background of the desktop "
                                       "\"Enlightenment\": name one with --desktop gnome, "
                                       "cinnamon, mate, xfce or kde\n")));
}

// Without --size, the picture is the largest monitor's, at its scale: the
// sky window is inset by a fifth of the geometric mean of the size in points.
TEST(WallpaperCommandTest, ThePictureHasTheLargestMonitorsSizeAndScale) {
    const auto insetAt = [](const std::string& picture, int width, int height, int scale) {
        const Pixels pixels = Pixels::fromPng(picture);
        EXPECT_EQ(std::pair(pixels.width(), pixels.height()), std::pair(width, height));
        const int inset = skyInset(width / scale, height / scale, scale);
        return pixels.valid() &&
               !near(pixels.at(inset - 2, height / 2), pixels.at(inset + 2, height / 2), 8) &&
               near(pixels.at(inset + 2, height / 2), pixels.at(inset + 6, height / 2), 30);
    };
    {
        SCOPED_TRACE("X11, its resources saying 192 dots per inch");
        PrivateXServer server("1600x900x24");
        if (!server.display())
            GTEST_SKIP() << "no Xvfb";
        server.setResources("Xft.dpi: 192\n");
        Desktop desktop;
        const ScopedEnvironmentVariable display("DISPLAY", server.name().c_str());
        const ScopedEnvironmentVariable wayland("WAYLAND_DISPLAY", nullptr);
        const auto run = desktop.wallpaper(
            {"--once", "--desktop", "gnome", "--at", "2024-06-22T00:30:00+02:00"});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(insetAt(pictureOf(run), 1600, 900, 2));
    }
    {
        SCOPED_TRACE("Wayland, the second of two outputs the larger, at scale 2");
        Sway sway("output HEADLESS-1 resolution 1280x720\n");
        SKIP_WITHOUT_SWAY(sway);
        ASSERT_TRUE(sway.message({"create_output"}));
        ASSERT_TRUE(
            sway.message({"output", "HEADLESS-2", "resolution", "1920x1080", "scale", "2"}));
        Desktop desktop;
        const auto run = desktop.wallpaper(
            {"--once", "--desktop", "gnome", "--at", "2024-06-22T00:30:00+02:00"});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(insetAt(pictureOf(run), 1920, 1080, 2));
    }
}
