// The aerolune program on Wayland, under a headless sway (skipped without
// sway): the wallpaper and the overlay drawn on each output by layer shell, a
// window otherwise, and each way a run ends. Screenshots (grim) check the sky
// window inset in the middle with the backdrop around it.

#include "aerolune/WaylandSaver.h"

#include "support/SolidWindow.h"
#include "support/SunAltitude.h"
#include "support/Sway.h"
#include "support/VirtualPointer.h"

#include <cctype>
#include <gtest/gtest.h>
#include <tuple>
#include <wayland-client.h>

namespace {

using namespace aerolune;
using namespace aerolune::test;

constexpr Rgb nightSky{19, 24, 98};
constexpr Rgb red{255, 0, 0};
const std::string solid = "for_window [title=\"solid\"] floating enable, move position 700 100\n";

// The saver at midnight on the equator, its output merged into what
// readLine() reads, with its log unless `log` is false.
struct Saver : LoggedProgram {
    explicit Saver(std::vector<std::string> arguments, bool log = true)
        : LoggedProgram(AEROLUNE_PROGRAM, withPlace(std::move(arguments), log)) {}
    static std::vector<std::string> withPlace(std::vector<std::string> arguments, bool log) {
        arguments.insert(arguments.end(), {"--lat", "0", "--seed", "5", "--lon",
                                           std::to_string(midnightLongitude())});
        if (log)
            arguments.push_back("--log-stderr");
        return arguments;
    }
};

// Waits until `output` shows the night sky inset by round(0.2 x sqrt(w x h))
// points, with another colour around it, and returns that screenshot. The
// picture may be at a scale: `pixels` device pixels per point.
std::optional<Pixels> awaitSky(const Sway& sway, const std::string& output, int width, int height,
                               int pixels = 1) {
    const int d = skyInset(width, height, pixels);
    const int w = width * pixels, h = height * pixels;
    std::string seen = "no screenshot";
    const auto end = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < end) {
        auto shot = sway.screenshot(output);
        if (shot && (shot->width() != w || shot->height() != h))
            seen = std::to_string(shot->width()) + "x" + std::to_string(shot->height());
        else if (shot && showsNightSkyInset(*shot, d, seen))
            return shot;
        std::this_thread::sleep_for(200ms);
    }
    ADD_FAILURE() << "no sky laid out on " << output << " at " << width << "x" << height << ": "
                  << seen;
    return std::nullopt;
}

// Squared changes between the columns of each pair (0 and 1, 2 and 3...) in
// the middle over those between pairs: about 1 for stars drawn at the
// screen's pixels, far less for a picture enlarged two times.
double detailWithinPairs(const Pixels& shot) {
    double within = 0, across = 0;
    for (int y = shot.height() / 3; y < shot.height() * 2 / 3; ++y)
        for (int x = shot.width() / 3; x < shot.width() * 2 / 3; x += 2) {
            within += std::pow(shot.at(x, y).sum() - shot.at(x + 1, y).sum(), 2);
            across += std::pow(shot.at(x + 1, y).sum() - shot.at(x + 2, y).sum(), 2);
        }
    return within / std::max(across, 1.0);
}

// The description of the window titled Aerolune in sway's tree, from its
// geometry on, without spaces; empty when it does not come.
std::string awaitWindow(const Sway& sway) {
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < end) {
        std::string tree = sway.message({"-t", "get_tree"}).value_or("");
        std::erase_if(tree, [](char c) { return std::isspace(c); });
        const auto name = tree.find("\"name\":\"Aerolune\"");
        const auto geometry = tree.rfind("\"geometry\"", name);
        if (name != std::string::npos && geometry != std::string::npos)
            return tree.substr(geometry, tree.find("\"shell\"", name) - geometry);
        std::this_thread::sleep_for(100ms);
    }
    return {};
}

class WaylandSaverTest : public ::testing::Test {
protected:
    ScopedConfigHome home_;
};

} // namespace

TEST(WaylandSaverChoice, WaylandWhenAskedOrWithoutXAndX11WhenBothAreThere) {
    using Layer = Options::WaylandLayer;
    // clang-format off
    for (const auto& [wayland, layer, root, waylandDisplay, x11Display, chosen] : {
             std::tuple<bool, std::optional<Layer>, bool, const char*, const char*, bool>
             {false, {}, false, "wayland-0", nullptr, true}, {false, {}, false, "wayland-0", "", true},
             {false, {}, false, "wayland-0", ":0", false}, {false, {}, false, nullptr, nullptr, false},
             {false, {}, false, "", nullptr, false}, {true, {}, false, "wayland-0", ":0", true},
             {false, Layer::background, false, nullptr, ":0", true}, {false, {}, true, "wayland-0", nullptr, false}}) {
        // clang-format on
        Options options;
        std::tie(options.wayland, options.layer, options.root) = std::tie(wayland, layer, root);
        EXPECT_EQ(WaylandSaver::chosen(options, waylandDisplay, x11Display), chosen)
            << wayland << root << (waylandDisplay ? waylandDisplay : "-")
            << (x11Display ? x11Display : "-");
    }
}

// sway 1.9 on unplugs a headless output (swaymsg output NAME unplug). sway
// 1.7 cannot: there the outputs are windows of an outer sway, and closing one
// unplugs it. (Nested so under sway 1.10, an output draws no more frames once
// another is added, saver or no saver: it is not the way there.) The sky lies
// beneath windows, and ends on SIGTERM.
TEST_F(WaylandSaverTest, EachOutputGetsASkyAtItsScaleBeneathWindowsAndOneUnpluggedLosesOnlyItsOwn) {
    const bool headless = Sway::installed() && Sway::unplugsHeadlessOutputs();
    Sway outer(headless ? "output HEADLESS-2 scale 2\n" + solid : "");
    SKIP_WITHOUT_SWAY(outer);
    std::optional<Sway> nested;
    if (!headless) {
        nested.emplace("output WL-2 scale 2\n" + solid, &outer);
        SKIP_WITHOUT_SWAY(*nested);
    }
    SolidWindow window("solid", 200, 150, 0xffff0000);
    ASSERT_TRUE(window.shown());
    const Sway& sway = headless ? outer : *nested;
    const std::string prefix = headless ? "HEADLESS-" : "WL-";
    const int width = headless ? 1920 : 1280, height = headless ? 1080 : 720;
    const auto shows = [&](int output, int scale) {
        return "showing on " + prefix + std::to_string(output) + ": " +
               std::to_string(width / scale) + "x" + std::to_string(height / scale) +
               " points at scale " + std::to_string(scale);
    };
    Saver saver({"--layer", "background"});
    ASSERT_TRUE(saver.awaitLine(shows(1, 1))) << saver.seen;
    ASSERT_TRUE(sway.message({"create_output"}));
    ASSERT_TRUE(saver.awaitLine(shows(2, 2))) << saver.seen;
    const auto first = awaitSky(sway, prefix + "1", width, height);
    ASSERT_TRUE(first);
    EXPECT_TRUE(near(first->at(800, 175), red)) << "the window is beneath the wallpaper";
    const auto sharp = awaitSky(sway, prefix + "2", width / 2, height / 2, 2);
    ASSERT_TRUE(sharp);
    EXPECT_GT(detailWithinPairs(*sharp), 0.7) << "stars drawn at scale 2, not enlarged";
    ASSERT_TRUE(headless ? sway.message({"output", "HEADLESS-2", "unplug"})
                         : outer.message({"[title=\"wlroots - WL-2\"] kill"}));
    EXPECT_TRUE(saver.awaitLine("no longer showing on " + prefix + "2")) << saver.seen;
    EXPECT_FALSE(saver.wait(500ms)) << "ended";
    // The output that stays still shows the sky, and a new one gets one.
    awaitSky(sway, prefix + "1", width, height);
    ASSERT_TRUE(sway.message({"create_output"}));
    EXPECT_TRUE(saver.awaitLine(shows(3, 1))) << saver.seen;
    ::kill(saver.pid(), SIGTERM);
    EXPECT_EQ(saver.wait(2s), 0);
}

// The overlay covers windows and ends on a key, a click or a move, but not on a
// jitter. Without X and a layer the saver opens a window, tiled or full
// screen, of the size it asks first, and it ends on q, Escape or a close.
// --output limits the sky to one output, an unknown name is refused, and a
// compositor that goes ends the run with status 0.
TEST_F(WaylandSaverTest, TheOverlayAndAWindowFillTheOutputAndEndOnWhatTheUserDoes) {
    Sway sway(solid);
    SKIP_WITHOUT_SWAY(sway);
    SolidWindow window("solid", 200, 150, 0xffff0000);
    VirtualPointer pointer;
    ASSERT_TRUE(window.shown());
    ASSERT_TRUE(pointer.valid());
    // A keyboard that appears only to type the key: the pause lets the saver
    // take the keyboard before the key comes.
    const auto press = [](const char* key) {
        return [key](Saver&) {
            EXPECT_EQ(runProgram("/usr/bin/wtype", {"-s", "300", "-k", key}, 10s).status, 0);
        };
    };
    const std::vector<std::string> overlay = {"--layer", "overlay"}, full = {"--fullscreen"};
    const std::tuple<const char*, std::vector<std::string>, std::function<void(Saver&)>> ends[] = {
        {"a key", overlay, press("space")},
        {"a jitter, then a move", overlay,
         [&](Saver& saver) {
             for (int i = 0; i < 4; ++i)
                 pointer.move(i % 2 ? -1 : 1, i % 2 ? 1 : -1);
             EXPECT_FALSE(saver.wait(1s)) << "ended on a jitter";
             pointer.move(12, 0);
         }},
        // sway gives a surface that appears under a still pointer no pointer
        // events until the pointer moves.
        {"a click", overlay,
         [&](Saver& saver) {
             pointer.move(1, 0);
             EXPECT_FALSE(saver.wait(300ms)) << "ended";
             pointer.click();
         }},
        {"q", {}, press("q")},
        {"Escape", full, press("Escape")},
        {"a close", full,
         [&](Saver&) { EXPECT_TRUE(sway.message({"[title=\"Aerolune\"] kill"})); }}};
    for (const auto& [how, arguments, end] : ends) {
        SCOPED_TRACE(how);
        Saver saver(arguments);
        if (arguments == overlay) {
            ASSERT_TRUE(saver.awaitLine("showing on HEADLESS-1")) << saver.seen;
        } else {
            ASSERT_TRUE(saver.awaitLine("showing in a window: 1280x720 points")) << saver.seen;
            // sway notes the size a window first had as its geometry.
            const std::string shown = awaitWindow(sway);
            EXPECT_NE(shown.find("\"width\":1280,\"height\":720"), std::string::npos) << shown;
            EXPECT_EQ(shown.find("\"fullscreen_mode\":1") != std::string::npos, arguments == full)
                << shown;
        }
        const auto shot = awaitSky(sway, "HEADLESS-1", 1920, 1080);
        ASSERT_TRUE(shot);
        EXPECT_TRUE(arguments != overlay || !near(shot->at(800, 175), red, 40))
            << "the window shows through";
        EXPECT_FALSE(saver.wait(300ms)) << "ended";
        end(saver);
        EXPECT_EQ(saver.wait(5s), 0);
    }
    ASSERT_TRUE(sway.message({"create_output"}));
    Saver unknown({"--layer", "background", "--output", "DP-9"}, false);
    EXPECT_EQ(unknown.wait(10s), 1);
    EXPECT_EQ(unknown.out, "aerolune: there is no output named \"DP-9\"; the outputs are "
                           "HEADLESS-1, HEADLESS-2\n");
    Saver saver({"--layer", "overlay", "--output", "HEADLESS-2"});
    ASSERT_TRUE(saver.awaitLine("showing on HEADLESS-2")) << saver.seen;
    awaitSky(sway, "HEADLESS-2", 1920, 1080);
    EXPECT_FALSE(near(sway.screenshot("HEADLESS-1").value().at(960, 540), nightSky, 8))
        << "HEADLESS-1 has no sky";
    sway.stop();
    EXPECT_EQ(saver.wait(5s), 0) << saver.out;
}

// A compositor without layer shell or xdg-shell is named in one line; one that
// prefers a buffer scale for the window's surface (wl_surface version 6) gets
// buffers drawn at that scale, though no monitor says so.
TEST_F(WaylandSaverTest, ABareCompositorsShellsAndPreferredBufferScaleAreHeeded) {
    const std::string socket = "/tmp/aerolune-bare-" + std::to_string(::getpid());
    const ScopedEnvironmentVariable wayland("WAYLAND_DISPLAY", socket.c_str());
    const ScopedEnvironmentVariable x11("DISPLAY", nullptr);
    {
        Program compositor(AEROLUNE_BARE_COMPOSITOR, {socket});
        ASSERT_EQ(compositor.readLine(), "ready");
        for (const auto& [arguments, problem] :
             {std::pair<std::vector<std::string>, std::string>{
                  {"--layer", "overlay"}, "this compositor has no layer-shell support"},
              {{}, "this compositor has no xdg-shell support for windows"}}) {
            Saver saver(arguments, false);
            EXPECT_EQ(saver.wait(10s), 1);
            EXPECT_TRUE(saver.out.starts_with("aerolune: " + problem)) << saver.out;
        }
    }
#ifdef WL_SURFACE_PREFERRED_BUFFER_SCALE_SINCE_VERSION
    for (const auto& [scale, buffer] :
         {std::pair<int, std::string>{1, "1280x720 at scale 1"}, {2, "2560x1440 at scale 2"}}) {
        SCOPED_TRACE(scale);
        Program compositor(AEROLUNE_BARE_COMPOSITOR, {socket, "--windows", std::to_string(scale)});
        ASSERT_EQ(compositor.readLine(), "ready");
        Saver saver({}, false);
        EXPECT_EQ(compositor.readLine(20s), "buffer " + buffer) << compositor.err;
        EXPECT_FALSE(saver.wait(300ms)) << saver.out;
        ::kill(saver.pid(), SIGTERM);
        EXPECT_EQ(saver.wait(10s), 0);
    }
#endif
    ::unlink(socket.c_str());
}
