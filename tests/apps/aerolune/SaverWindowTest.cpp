// Runs the aerolune program on a real X server, as a user and XScreenSaver
// would: in a window of its own, on the root window, in the window that
// $XSCREENSAVER_WINDOW names (hex or decimal) and in one given by -window-id.
// Screenshots check that the sky window sits inset in the middle with the
// backdrop around it, that it changes over time and follows a resize; the
// program must end with status 0 when its window goes or on SIGTERM, within a
// second. Skipped without a display.

#include "support/DisplayTesting.h"
#include "support/ScopedConfigHome.h"

#include <cmath>
#include <ctime>

namespace {

using aerolune::test::DisplayTest;
using aerolune::test::near;
using aerolune::test::Rgb;
using aerolune::test::Screenshot;
using namespace std::chrono_literals;

constexpr Rgb nightSky{19, 24, 98};

// A longitude on the equator where it is the middle of the night now, so
// that the sky window shows the night sky whenever the test runs.
std::string midnightLongitude() {
    const double hours = double(std::time(nullptr) % 86400) / 3600.0;
    double longitude = std::fmod(-15.0 * hours + 540.0, 360.0) - 180.0;
    return std::to_string(longitude);
}

class Saver : public aerolune::test::Program {
public:
    explicit Saver(std::vector<std::string> arguments)
        : Program(AEROLUNE_PROGRAM, withPlace(std::move(arguments))) {}

private:
    static std::vector<std::string> withPlace(std::vector<std::string> arguments) {
        for (const char* fixed : {"--lat", "0", "--seed", "5"})
            arguments.push_back(fixed);
        arguments.insert(arguments.end(), {"--lon", midnightLongitude()});
        return arguments;
    }
};

class SaverWindowTest : public DisplayTest {
protected:
    // The window titled "Aerolune", once the program has made it.
    unsigned long findOwnWindow() {
        const auto end = std::chrono::steady_clock::now() + 10s;
        while (std::chrono::steady_clock::now() < end) {
            Window root = 0, parent = 0, *children = nullptr;
            unsigned count = 0;
            XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count);
            unsigned long found = 0;
            for (unsigned i = 0; i < count && !found; ++i) {
                char* name = nullptr;
                if (XFetchName(display_, children[i], &name) && name &&
                    std::string(name) == "Aerolune")
                    found = children[i];
                XFree(name);
            }
            XFree(children);
            if (found)
                return found;
            std::this_thread::sleep_for(100ms);
        }
        return 0;
    }

    // Waits until the window shows the night sky inset by round(0.2 x
    // sqrt(w x h)) with a backdrop of another colour around it, and returns
    // the sky window's pixels along its middle row.
    std::vector<Rgb> expectLayout(unsigned long window, int width, int height) {
        const int d = int(std::lround(0.2 * std::sqrt(double(width) * height)));
        std::string seen = "no screenshot";
        const auto end = std::chrono::steady_clock::now() + 15s;
        while (std::chrono::steady_clock::now() < end) {
            Screenshot shot(window);
            if (shot.valid() && shot.width() == width && shot.height() == height) {
                const Rgb inside = shot.at(d + 1, height / 2), centre = shot.at(width / 2, d + 2);
                const Rgb outside = shot.at(d - 2, height / 2), corner = shot.at(1, 1);
                if (near(inside, nightSky) && near(centre, nightSky) &&
                    !near(outside, nightSky, 8) && near(outside, corner, 12)) {
                    std::vector<Rgb> row;
                    for (int x = d; x < width - d; ++x)
                        row.push_back(shot.at(x, height / 2));
                    return row;
                }
                seen = aerolune::test::describe(inside) + " " + aerolune::test::describe(outside) +
                       " " + aerolune::test::describe(corner);
            }
            std::this_thread::sleep_for(200ms);
        }
        ADD_FAILURE() << "no saver laid out for " << width << "x" << height << ": " << seen;
        return {};
    }

    unsigned long makeWindow(int width, int height) {
        const Window window = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 20, 20,
                                                  unsigned(width), unsigned(height), 0, 0, 0);
        XMapWindow(display_, window);
        XSync(display_, False);
        return window;
    }

    void destroy(unsigned long window) {
        XDestroyWindow(display_, window);
        XSync(display_, False);
    }

    aerolune::test::ScopedConfigHome home_;
};

} // namespace

TEST_F(SaverWindowTest, OwnWindowShowsTheSkyInsetChangesOverTimeFollowsResizesAndCloses) {
    Saver saver({});
    const unsigned long window = findOwnWindow();
    ASSERT_NE(window, 0u) << saver.errors();
    const auto first = expectLayout(window, 1280, 720);
    std::this_thread::sleep_for(1500ms);
    const auto later = expectLayout(window, 1280, 720);
    ASSERT_EQ(first.size(), later.size());
    int changed = 0;
    for (std::size_t i = 0; i < first.size(); ++i)
        changed += !near(first[i], later[i], 0);
    EXPECT_GT(changed, 0) << "the stars neither twinkled nor drifted";
    resize(window, 800, 500);
    expectLayout(window, 800, 500);
    destroy(window);
    EXPECT_EQ(saver.wait(), 0);
}

TEST_F(SaverWindowTest, RootMeansXScreenSaversWindowInHexOrDecimal) {
    for (const bool hex : {true, false}) {
        SCOPED_TRACE(hex ? "hex" : "decimal");
        const unsigned long window = makeWindow(640, 400);
        char id[32];
        std::snprintf(id, sizeof id, hex ? "0x%lx" : "%lu", window);
        aerolune::test::ScopedEnvironmentVariable named("XSCREENSAVER_WINDOW", id);
        Saver saver({"-root"});
        expectLayout(window, 640, 400);
        destroy(window);
        EXPECT_EQ(saver.wait(), 0);
    }
}

TEST_F(SaverWindowTest, RootWithoutXScreenSaverCoversTheScreenAndEndsOnSigtermWithinASecond) {
    aerolune::test::ScopedEnvironmentVariable unset("XSCREENSAVER_WINDOW", nullptr);
    XWindowAttributes screen{};
    XGetWindowAttributes(display_, DefaultRootWindow(display_), &screen);
    Saver saver({"--root"});
    expectLayout(DefaultRootWindow(display_), screen.width, screen.height);
    ::kill(saver.pid(), SIGTERM);
    EXPECT_EQ(saver.wait(1s), 0);
}

TEST_F(SaverWindowTest, WindowIdWinsOverRootFollowsResizesAndAMissingWindowIsAnError) {
    const unsigned long window = makeWindow(500, 300);
    char id[32];
    std::snprintf(id, sizeof id, "%lu", window);
    Saver saver({"--window-id", id, "-root"});
    expectLayout(window, 500, 300);
    resize(window, 300, 500);
    expectLayout(window, 300, 500);
    destroy(window);
    EXPECT_EQ(saver.wait(), 0);

    Saver missing({"-window-id", id});
    EXPECT_EQ(missing.wait(), 1);
    EXPECT_NE(missing.errors().find("aerolune: there is no window"), std::string::npos);
}

TEST_F(SaverWindowTest, ASignalDuringStartupEndsTheRunWithStatusZero) {
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        // Blocked here, the signal is inherited pending and reaches the saver
        // at the first moment it can take it, long before its first frame.
        sigset_t blocked, previous;
        sigemptyset(&blocked);
        sigaddset(&blocked, signal);
        ::pthread_sigmask(SIG_BLOCK, &blocked, &previous);
        Saver saver({});
        ::kill(saver.pid(), signal);
        ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        EXPECT_EQ(saver.wait(), 0);
        EXPECT_EQ(saver.errors(), "");
    }
}

TEST_F(SaverWindowTest, AWindowIdBeyond32BitsIsRefusedNotCutDownToAnotherWindow) {
    const unsigned long window = makeWindow(200, 100);
    char id[32];
    std::snprintf(id, sizeof id, "0x%lx", window | 1ul << 32);
    const std::string refused =
        std::string(id) + " is larger than any X window id (at most 0xffffffff)\n";
    {
        SCOPED_TRACE("-window-id");
        Saver saver({"-window-id", id});
        EXPECT_EQ(saver.wait(), 2);
        EXPECT_EQ(saver.errors(), "aerolune: --window-id " + refused);
    }
    {
        SCOPED_TRACE("$XSCREENSAVER_WINDOW");
        aerolune::test::ScopedEnvironmentVariable named("XSCREENSAVER_WINDOW", id);
        Saver saver({"-root"});
        EXPECT_EQ(saver.wait(), 1);
        EXPECT_EQ(saver.errors(), "aerolune: XSCREENSAVER_WINDOW " + refused);
    }
    destroy(window);
}
