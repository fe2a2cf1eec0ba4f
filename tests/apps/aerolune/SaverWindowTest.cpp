// The aerolune program on a real X server, as a user and XScreenSaver run it:
// in a window of its own, on the root window, in the window that
// $XSCREENSAVER_WINDOW (hex or decimal) or -window-id names. Screenshots show
// the night sky inset in the middle with the backdrop around it, changing
// over time and following a resize; the program ends with status 0 when its
// window goes, on SIGTERM within a second, and on a signal during startup.

#include "support/Display.h"
#include "support/Program.h"
#include "support/ScopedConfigHome.h"

#include <X11/Xatom.h>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <tuple>

using namespace aerolune::test;

// The saver at a place on the equator where it is the middle of the night now.
static std::unique_ptr<Program> saver(std::vector<std::string> arguments) {
    const double hours = double(std::time(nullptr) % 86400) / 3600.0;
    const double longitude = std::fmod(-15.0 * hours + 540.0, 360.0) - 180.0;
    arguments.insert(arguments.end(),
                     {"--lat", "0", "--seed", "5", "--lon", std::to_string(longitude)});
    return std::make_unique<Program>(AEROLUNE_PROGRAM, std::move(arguments));
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
        const int d = int(std::lround(0.2 * std::sqrt(double(width) * height)));
        const Rgb night{19, 24, 98};
        std::string seen = "no screenshot";
        for (int attempt = 0; attempt < 75; ++attempt, std::this_thread::sleep_for(200ms)) {
            const auto shot = screenshot(window);
            if (!shot || shot->width() != width || shot->height() != height)
                continue;
            const Rgb inside = shot->at(d + 1, height / 2), outside = shot->at(d - 2, height / 2);
            seen = describe(inside) + " " + describe(outside);
            if (near(inside, night) && near(shot->at(width / 2, d + 2), night) &&
                !near(outside, night, 8) && near(outside, shot->at(1, 1), 12)) {
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
        const auto window = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 20, 20,
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
        if (own) { // the window titled "Aerolune", once the program has made it
            const auto found =
                runProgram("xdotool", {"search", "--sync", "--name", "^Aerolune$"}, 10s);
            window = std::strtoul(found.out.c_str(), nullptr, 10);
        }
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

TEST_F(SaverWindowTest, EarlySignalsEndWithZeroAndWindowsThatCannotBeUsedAreRefused) {
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
    // A window id cut down to 32 bits would draw into another window.
    const unsigned long window = makeWindow(200, 100);
    const std::string beyond = hex(window | 1ul << 32);
    ScopedEnvironmentVariable named("XSCREENSAVER_WINDOW", beyond.c_str());
    const auto refused = saver({"-root"});
    EXPECT_EQ(refused->wait(), 1);
    EXPECT_EQ(refused->err, "aerolune: XSCREENSAVER_WINDOW " + beyond +
                                " is larger than any X window id (at most 0xffffffff)\n");
    XDestroyWindow(display_, window);
    XSync(display_, False);
    const auto gone = saver({"-window-id", std::to_string(window)});
    EXPECT_EQ(gone->wait(), 1);
    EXPECT_EQ(gone->err.rfind("aerolune: there is no window " + hex(window), 0), 0u) << gone->err;
}

// A private X server whose resources say Xft.dpi: 192, as xrdb sets them, so
// that no other test's display changes scale.
TEST(SaverScaleTest, XftDpiGivesTheScaleAfterTheOptionAndTheEnvironment) {
    int number = 160;
    while (std::filesystem::exists("/tmp/.X" + std::to_string(number) + "-lock"))
        ++number;
    const std::string name = ":" + std::to_string(number);
    Program server("Xvfb", {name, "-noreset", "-screen", "0", "1280x720x24", "-nolisten", "tcp"});
    Display* display = nullptr;
    for (int attempt = 0; attempt < 50 && !display; ++attempt, std::this_thread::sleep_for(100ms))
        display = XOpenDisplay(name.c_str());
    if (!display)
        GTEST_SKIP() << "no Xvfb";
    const std::string resources = "Xft.antialias:\t1\nXft.dpi:\t192\n";
    XChangeProperty(display, DefaultRootWindow(display),
                    XInternAtom(display, "RESOURCE_MANAGER", False), XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(resources.data()),
                    int(resources.size()));
    XCloseDisplay(display);
    ScopedEnvironmentVariable on("DISPLAY", name.c_str());
    ScopedConfigHome home;
    // clang-format off
    for (const auto& [aerolune, gdk, option, frame] : {
             std::tuple<const char*, const char*, const char*, std::string>{nullptr, nullptr, nullptr, "640, 360"},
             {"large", nullptr, nullptr, "640, 360"}, {"", "1", nullptr, "1280, 720"},
             {"1.25", "2", nullptr, "1024, 576"}, {"1", nullptr, "4", "320, 180"}}) { // clang-format on
        SCOPED_TRACE(std::string(aerolune ? aerolune : "-") + " " + (gdk ? gdk : "-"));
        ScopedEnvironmentVariable first("AEROLUNE_SCALE", aerolune), second("GDK_SCALE", gdk);
        std::vector<std::string> arguments = {"-c", "exec \"$0\" \"$@\" 2>&1", AEROLUNE_PROGRAM,
                                              "--log-stderr"};
        if (option)
            arguments.insert(arguments.end(), {"--scale", option});
        Program run("/bin/sh", arguments);
        std::string seen;
        while (seen.find("AeroluneSaverView.init") == std::string::npos)
            if (const auto line = run.readLine())
                seen += *line + "\n";
            else
                break;
        EXPECT_NE(seen.find("init {{0, 0}, {" + frame + "}}"), std::string::npos) << seen;
        EXPECT_EQ(seen.find("ignoring AEROLUNE_SCALE=\"large\": not a scale") != std::string::npos,
                  aerolune && std::string_view(aerolune) == "large");
        ::kill(run.pid(), SIGTERM);
        EXPECT_EQ(run.wait(2s), 0);
    }
    ::kill(server.pid(), SIGTERM);
}
