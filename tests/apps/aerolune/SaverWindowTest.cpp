// The aerolune program on a real X server, as a user and XScreenSaver run it:
// in a window of its own, on the root window, in the window that
// $XSCREENSAVER_WINDOW (hex or decimal) or -window-id names. Screenshots show
// the night sky inset in the middle with the backdrop around it, changing
// over time and following a resize; the program ends with status 0 when its
// window goes, on SIGTERM within a second, and on a signal during startup.

#include "schedule/SunEvents.h"
#include "support/Display.h"
#include "support/PrivateXServer.h"
#include "support/Program.h"
#include "support/ScopedConfigHome.h"
#include "support/SunAltitude.h"

#include <X11/Xutil.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <tuple>

using namespace aerolune::test;

// The saver at a place on the equator where it is the middle of the night now.
static std::unique_ptr<Program> saver(std::vector<std::string> arguments) {
    arguments.insert(arguments.end(),
                     {"--lat", "0", "--seed", "5", "--lon", std::to_string(midnightLongitude())});
    return std::make_unique<Program>(AEROLUNE_PROGRAM, std::move(arguments));
}

// The window titled "Aerolune", once the program has made it; 0 without one.
static unsigned long ownWindow() {
    const auto found = runProgram("xdotool", {"search", "--sync", "--name", "^Aerolune$"}, 10s);
    return std::strtoul(found.out.c_str(), nullptr, 10);
}

static std::string hex(unsigned long id) {
    char text[32];
    return std::string(text, std::snprintf(text, sizeof text, "0x%lx", id));
}

class SaverWindowTest : public DisplayTest {
protected:
    // Waits until the window shows the night sky inset by round(0.2 x sqrt(w x
    // h)) with a backdrop of another colour around it, and returns the sky
    // window's middle row.
    std::vector<Rgb> expectLayout(unsigned long window, int width, int height) {
        const int d = skyInset(width, height);
        std::string seen = "no screenshot";
        for (int attempt = 0; attempt < 75; ++attempt, std::this_thread::sleep_for(200ms)) {
            const auto shot = screenshot(window);
            if (shot && shot->width() == width && shot->height() == height &&
                showsNightSkyInset(*shot, d, seen)) {
                std::vector<Rgb> row;
                for (int x = d; x < width - d; ++x)
                    row.push_back(shot->at(x, height / 2));
                return row;
            }
        }
        ADD_FAILURE() << "no saver laid out for " << width << "x" << height << ": " << seen;
        return {};
    }

    unsigned long makeWindow(int width, int height) {
        const auto window = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0,
                                                unsigned(width), unsigned(height), 0, 0, 0);
        XMapWindow(display_, window);
        XSync(display_, False);
        return window;
    }

    ScopedConfigHome home_;
};

TEST_F(SaverWindowTest, EveryWayOfRunningShowsTheSkyInsetFollowsResizesAndEndsWithZero) {
    XWindowAttributes screen{};
    XGetWindowAttributes(display_, DefaultRootWindow(display_), &screen);
    // clang-format off
    for (const auto& [way, width, height] : {std::tuple{std::string("own"), 1280, 720}, {"-root", screen.width, screen.height},
                                             {"hex", 640, 400}, {"decimal", 640, 400}, {"-window-id", 640, 400}}) {
        // clang-format on
        SCOPED_TRACE(way);
        const bool own = way == "own", root = way == "-root", given = !own && !root;
        unsigned long window = root ? DefaultRootWindow(display_) : own ? 0 : makeWindow(640, 400);
        const std::string id = way == "hex" ? hex(window) : std::to_string(window);
        const bool named = given && way != "-window-id";
        ScopedEnvironmentVariable variable("XSCREENSAVER_WINDOW", named ? id.c_str() : nullptr);
        const auto run = own               ? saver({})
                         : given && !named ? saver({"-window-id", id, "-root"})
                                           : saver({"-root"});
        if (own)
            window = ownWindow();
        ASSERT_NE(window, 0u) << run->err;
        const auto first = expectLayout(window, width, height);
        if (own || way == "-window-id") {
            std::this_thread::sleep_for(1500ms);
            EXPECT_TRUE(first != expectLayout(window, width, height)) << "the stars stood still";
            resize(window, 300, 500);
            expectLayout(window, 300, 500);
        }
        if (given)
            XDestroyWindow(display_, window), XSync(display_, False);
        else
            ::kill(run->pid(), SIGTERM);
        EXPECT_EQ(run->wait(1s), 0) << "within a second";
    }
}

// The saver's host ends it whenever it likes, with status 0: a signal that
// comes before the first frame, or a SIGTERM while the saver waits on a
// display that takes the connection and never answers.
TEST_F(SaverWindowTest, SignalsDuringStartupEndTheSaverWithZero) {
    for (const int signal : {SIGTERM, SIGINT}) {
        // Blocked here, the signal is inherited pending and reaches the saver
        // at the first moment it can take it, long before its first frame.
        sigset_t blocked, previous;
        sigemptyset(&blocked);
        sigaddset(&blocked, signal);
        ::pthread_sigmask(SIG_BLOCK, &blocked, &previous);
        const auto run = saver({});
        ::kill(run->pid(), signal);
        ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        EXPECT_EQ(run->wait(), 0) << signal;
        EXPECT_EQ(run->err, "");
    }
    int number = 200, socket = -1;
    sockaddr_un address{AF_UNIX, {}};
    for (; number < 260; ++number) {
        std::snprintf(address.sun_path, sizeof address.sun_path, "/tmp/.X11-unix/X%d", number);
        if (std::filesystem::exists("/tmp/.X" + std::to_string(number) + "-lock"))
            continue;
        socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::listen(socket, 4) == 0)
            break;
        ::close(socket);
    }
    ASSERT_LT(number, 260) << "no display number free";
    ScopedEnvironmentVariable silent("DISPLAY", (":" + std::to_string(number)).c_str());
    const auto run = saver({});
    // Once it has connected it waits on the display, however slowly it started.
    pollfd waiting{socket, POLLIN, 0};
    ASSERT_EQ(::poll(&waiting, 1, 60'000), 1) << "the saver never connected";
    const int connection = ::accept(socket, nullptr, nullptr);
    ::kill(run->pid(), SIGTERM);
    EXPECT_EQ(run->wait(20s), 0) << run->err;
    ::close(connection);
    ::close(socket);
    std::filesystem::remove(address.sun_path);
}

// A window that is gone, or whose id is too large, is refused. The saver
// draws 32-bit ARGB pixels. It finds a visual that takes them for a window of
// its own on a 16-bit screen (at any scale), and where no visual will do it
// names the real cause.
TEST_F(SaverWindowTest, EveryWindowIsDrawnOrRefusedForWhatItIs) {
    // Its message starts with `problem`.
    const auto refused = [](std::vector<std::string> arguments, const std::string& problem) {
        const auto run = saver(std::move(arguments));
        EXPECT_EQ(run->wait(10s), 1);
        EXPECT_EQ(run->err.rfind("aerolune: " + problem, 0), 0u) << run->err;
    };
    {
        // A window id cut down to 32 bits would draw into another window.
        const unsigned long window = makeWindow(200, 100);
        const std::string beyond = hex(window | 1ul << 32);
        ScopedEnvironmentVariable named("XSCREENSAVER_WINDOW", beyond.c_str());
        refused({"-root"}, "XSCREENSAVER_WINDOW " + beyond + " is larger than any X window id");
        XDestroyWindow(display_, window);
        XSync(display_, False);
        refused({"-window-id", std::to_string(window)}, "there is no window " + hex(window));
    }
    {
        SCOPED_TRACE("a 32-bit window, its visual hidden from the saver's Xlib");
        XVisualInfo argb{};
        ASSERT_TRUE(XMatchVisualInfo(display_, DefaultScreen(display_), 32, TrueColor, &argb));
        XSetWindowAttributes settings{};
        settings.colormap =
            XCreateColormap(display_, DefaultRootWindow(display_), argb.visual, AllocNone);
        const Window window = XCreateWindow(display_, DefaultRootWindow(display_), 10, 10, 480, 300,
                                            0, 32, InputOutput, argb.visual,
                                            CWColormap | CWBorderPixel | CWBackPixel, &settings);
        XMapWindow(display_, window);
        XSync(display_, False);
        const auto run = [&] { // the screenshots' Xlib sees it
            ScopedEnvironmentVariable hidden("XLIB_SKIP_ARGB_VISUALS", "1");
            return saver({"-window-id", hex(window)});
        }();
        expectLayout(window, 480, 300);
        XDestroyWindow(display_, window);
        XSync(display_, False);
        EXPECT_EQ(run->wait(5s), 0) << run->err;
        XFreeColormap(display_, settings.colormap);
    }
    PrivateXServer sixteen("1600x900x16");
    if (!sixteen.display())
        GTEST_SKIP() << "no Xvfb";
    ScopedEnvironmentVariable on("DISPLAY", sixteen.name().c_str());
    {
        SCOPED_TRACE("a window of its own on a 16-bit screen");
        const auto run = saver({});
        const unsigned long window = ownWindow();
        ASSERT_NE(window, 0u) << run->err;
        expectLayout(window, 1280, 720);
        ::kill(run->pid(), SIGTERM);
        EXPECT_EQ(run->wait(5s), 0);
    }
    refused({"-root"}, "the root window is 16-bit true colour; Aerolune draws in 24- or 32-bit");
    const std::string none = "this display offers no 24- or 32-bit true-colour visual to draw in";
    {
        ScopedEnvironmentVariable hidden("XLIB_SKIP_ARGB_VISUALS", "1");
        refused({}, none + " (its screen is 16-bit true colour)\n");
    }
    // The scale: the option, then AEROLUNE_SCALE, then GDK_SCALE (whole, and
    // with Xft.dpi still counting), then Xft.dpi written the ways Xft and GTK
    // also read, the most specific winning; a value that cannot be used is
    // skipped, and says so.
    const std::string dpi = "Xft.antialias:\t1\nXft.dpi:\t192\n";
    // clang-format off
    for (const auto& [resources, aerolune, gdk, option, frame, complaint] : {
             std::tuple<std::string, const char*, const char*, const char*, std::string, std::string>
             {dpi, nullptr, nullptr, nullptr, "640, 360", ""},
             {dpi, "large", nullptr, nullptr, "640, 360", "ignoring AEROLUNE_SCALE=\"large\": not a scale"},
             {dpi, "", "1", nullptr, "1280, 720", ""}, {dpi, "1.25", "2", nullptr, "1024, 576", ""},
             {dpi, "1", nullptr, "4", "320, 180", ""}, {"*dpi: 192\n", nullptr, nullptr, nullptr, "640, 360", ""},
             {"Xft*dpi: 120\n", nullptr, nullptr, nullptr, "1024, 576", ""},
             {"*dpi: 96\nXft.dpi: 192\n", nullptr, nullptr, nullptr, "640, 360", ""},
             {"Xft.dpi: 1000\n", nullptr, nullptr, nullptr, "1280, 720", "ignoring Xft.dpi=\"1000\": not a resolution from 48 to 384 dots per inch"},
             {"Xft.dpi: tall\n", nullptr, nullptr, nullptr, "1280, 720", "ignoring Xft.dpi=\"tall\""}}) { // clang-format on
        SCOPED_TRACE(resources + (aerolune ? aerolune : "-") + " " + (gdk ? gdk : "-"));
        sixteen.setResources(resources);
        ScopedEnvironmentVariable first("AEROLUNE_SCALE", aerolune), second("GDK_SCALE", gdk);
        LoggedProgram run(AEROLUNE_PROGRAM,
                          option ? std::vector<std::string>{"--log-stderr", "--scale", option}
                                 : std::vector<std::string>{"--log-stderr"});
        run.awaitLine("AeroluneSaverView.init");
        ::kill(run.pid(), SIGTERM);
        EXPECT_EQ(run.wait(5s), 0) << run.seen;
        EXPECT_NE(run.seen.find("init {{0, 0}, {" + frame + "}}"), std::string::npos) << run.seen;
        EXPECT_EQ(run.seen.find("ignoring ") != std::string::npos, !complaint.empty()) << run.seen;
        EXPECT_NE(run.seen.find(complaint), std::string::npos) << run.seen;
    }
    PrivateXServer eight("640x480x8");
    ScopedEnvironmentVariable onEight("DISPLAY", eight.name().c_str());
    refused({}, none + " (its screen is 8-bit pseudo-colour)\n");
}

// A longitude on the equator where the sun sets `seconds` from now.
static double sunsetLongitude(double seconds) {
    const double target = double(std::time(nullptr)) + seconds;
    double longitude = 0;
    for (int step = 0; step < 8; ++step) {
        double nearest = 1e9;
        const aerolune::SunEvents around(target, {0, longitude});
        for (const auto& event : around.events())
            if (event.skyMode == aerolune::SkyMode::sunset &&
                std::abs(event.date - target) < std::abs(nearest))
                nearest = event.date - target;
        longitude = std::remainder(longitude + nearest / 240, 360.0);
    }
    return longitude;
}

// Unmapped, a window of its own draws nothing; shown again,
// it shows the sky of that moment, here the sunset that came while hidden.
TEST_F(SaverWindowTest, AWindowOfItsOwnDrawsNothingWhileHiddenAndShowsTheSkyOfTheMomentAgain) {
    ScopedEnvironmentVariable utc("TZ", "UTC");
    const auto start = std::chrono::steady_clock::now();
    LoggedProgram run(AEROLUNE_PROGRAM, {"--log-stderr", "--seed", "5", "--lat", "0", "--lon",
                                         std::to_string(sunsetLongitude(10))});
    ASSERT_TRUE(run.awaitLine("AeroluneSaverView.init")) << run.seen;
    const Window window = ownWindow();
    ASSERT_NE(window, 0u);
    // A day sky has clouds along its rows; a sunset's gradient changes only
    // from row to row. The sky window of 1280x720 is inset by 192.
    const auto rowsVary = [&]() -> std::optional<bool> {
        const auto shot = screenshot(window);
        if (!shot || shot->at(640, 360) == Rgb{})
            return std::nullopt;
        for (int y = 200; y < 520; y += 8)
            for (int x = 200; x < 1080; x += 4)
                if (!near(shot->at(x, y), shot->at(200, y), 3))
                    return true;
        return false;
    };
    std::optional<bool> clouds;
    for (int attempt = 0; attempt < 50 && !clouds; ++attempt, std::this_thread::sleep_for(100ms))
        clouds = rowsVary();
    EXPECT_EQ(clouds, true) << "no day sky";
    XUnmapWindow(display_, window);
    XSync(display_, False);
    ASSERT_TRUE(run.awaitLine("the window is hidden: nothing is drawn until it shows again"))
        << run.seen;
    std::this_thread::sleep_until(start + 13s); // past the sunset
    XMapWindow(display_, window);
    XSync(display_, False);
    ASSERT_TRUE(run.awaitLine("the window shows again")) << run.seen;
    std::this_thread::sleep_for(6s); // the day fades out over five
    EXPECT_EQ(rowsVary(), false) << "no sunset";
    ::kill(run.pid(), SIGTERM);
    EXPECT_EQ(run.wait(5s), 0);
}
