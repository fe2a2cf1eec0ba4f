// Runs the test scene on a real X server: in a window of its own and in a
// window given by id, checks what reached the screen, resizes the window and
// checks again, then ends the program by destroying the window (or by a
// signal) and expects a clean exit. Skipped without a display.

#include "support/DisplayTesting.h"
#include "support/ScopedConfigHome.h"

#include <fstream>
#include <sstream>

namespace {

using aerolune::test::DisplayTest;
using aerolune::test::near;
using aerolune::test::Rgb;
using aerolune::test::Screenshot;
using namespace std::chrono_literals;

// The scene's colours at the points where they are plain (see TestScene.cpp).
constexpr Rgb backdrop{19, 24, 98}, salmon{255, 137, 103}, green{154, 211, 117};

// Makes the programs started in its scope fail the calls named, through the
// preloaded aerolune_failing_calls.
class FailingCalls {
public:
    explicit FailingCalls(const char* calls) : calls_("AEROLUNE_FAILING_CALLS", calls) {}

private:
    static std::string asanOptions() {
        // A sanitizer build would refuse a library preloaded ahead of its own.
        const char* old = std::getenv("ASAN_OPTIONS");
        return std::string(old ? old : "") + ":verify_asan_link_order=0";
    }
    aerolune::test::ScopedEnvironmentVariable calls_;
    aerolune::test::ScopedEnvironmentVariable preload_{"LD_PRELOAD", AEROLUNE_FAILING_CALLS};
    aerolune::test::ScopedEnvironmentVariable asan_{"ASAN_OPTIONS", asanOptions().c_str()};
};

// How many shared-memory segments that process `pid` made are still there.
int segmentsMadeBy(pid_t pid) {
    std::ifstream table("/proc/sysvipc/shm");
    std::string line;
    std::getline(table, line); // the heading
    int count = 0;
    while (std::getline(table, line)) {
        long key = 0, id = 0, permissions = 0, size = 0, creator = 0;
        std::istringstream(line) >> key >> id >> permissions >> size >> creator;
        count += creator == pid;
    }
    return count;
}

// The test scene, run with its own options.
class Program : public aerolune::test::Program {
public:
    explicit Program(std::vector<std::string> arguments)
        : aerolune::test::Program(AEROLUNE_TEST_SCENE, std::move(arguments)) {}
};

class X11OutputTest : public DisplayTest {
protected:
    // Waits until the window shows the scene laid out for its size; the
    // failure names what was seen last.
    void expectScene(unsigned long window, int width, int height) {
        std::string seen = "no screenshot";
        const auto end = std::chrono::steady_clock::now() + 10s;
        while (std::chrono::steady_clock::now() < end) {
            Screenshot shot(window);
            if (shot.valid() && shot.width() == width && shot.height() == height) {
                // Device rows count from the top; the green strip is the bottom quarter.
                const Rgb top = shot.at(width / 4, height / 2);
                const Rgb right = shot.at(width * 3 / 4, height / 8 * 2);
                const Rgb bottom = shot.at(width / 4, height * 7 / 8);
                if (near(top, backdrop) && near(right, salmon) && near(bottom, green))
                    return;
                seen = aerolune::test::describe(top) + " " + aerolune::test::describe(right) + " " +
                       aerolune::test::describe(bottom);
            } else if (shot.valid()) {
                seen = "a window of " + std::to_string(shot.width()) + "x" +
                       std::to_string(shot.height());
            }
            std::this_thread::sleep_for(100ms);
        }
        ADD_FAILURE() << "the scene at " << width << "x" << height << " did not show: " << seen;
    }

    unsigned long windowOf(Program& program, const std::string& memory) {
        const auto line = program.readLine();
        EXPECT_TRUE(line) << program.errors();
        if (!line)
            return 0;
        unsigned long window = 0;
        char kind[32] = {};
        EXPECT_EQ(std::sscanf(line->c_str(), "window %lx %31s", &window, kind), 2) << *line;
        EXPECT_EQ(kind, memory);
        return window;
    }
};

} // namespace

TEST_F(X11OutputTest, OwnWindowShowsTheSceneFollowsAResizeAndEndsCleanlyWhenDestroyed) {
    Program program({"--size", "320x200"});
    const unsigned long window = windowOf(program, "shared-memory");
    ASSERT_NE(window, 0u);
    expectScene(window, 320, 200);
    resize(window, 420, 260);
    expectScene(window, 420, 260);
    XDestroyWindow(display_, window);
    XSync(display_, False);
    EXPECT_EQ(program.wait(), 0);
}

TEST_F(X11OutputTest, AWindowGivenByIdShowsTheSceneWithoutSharedMemoryToo) {
    const Window window =
        XCreateSimpleWindow(display_, DefaultRootWindow(display_), 40, 30, 300, 180, 0, 0, 0);
    XMapWindow(display_, window);
    XSync(display_, False);
    char id[32];
    std::snprintf(id, sizeof id, "0x%lx", window);
    Program program({"--window-id", id, "--no-shm"});
    EXPECT_EQ(windowOf(program, "plain"), window);
    expectScene(window, 300, 180);
    resize(window, 240, 320);
    expectScene(window, 240, 320);
    XDestroyWindow(display_, window);
    XSync(display_, False);
    EXPECT_EQ(program.wait(), 0);
}

TEST_F(X11OutputTest, TheRootWindowShowsTheSceneAcrossTheScreen) {
    const Window root = DefaultRootWindow(display_);
    XWindowAttributes screen{};
    XGetWindowAttributes(display_, root, &screen);
    Program program({"--root"});
    EXPECT_EQ(windowOf(program, "shared-memory"), root);
    expectScene(root, screen.width, screen.height);
    ::kill(program.pid(), SIGTERM);
    EXPECT_EQ(program.wait(), 0);
}

TEST_F(X11OutputTest, SignalsEndTheProgramCleanly) {
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        Program program({"--size", "64x64"});
        ASSERT_NE(windowOf(program, "shared-memory"), 0u);
        ::kill(program.pid(), signal);
        EXPECT_EQ(program.wait(), 0);
    }
}

TEST_F(X11OutputTest, AWindowIdThatDoesNotExistIsAClearError) {
    const Window gone =
        XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(display_, gone);
    XSync(display_, False);
    char id[32];
    std::snprintf(id, sizeof id, "0x%lx", gone);
    Program program({"--window-id", id});
    EXPECT_EQ(program.wait(), 2);
    EXPECT_NE(program.errors().find("there is no window " + std::string(id)), std::string::npos);
}

TEST_F(X11OutputTest, SharedMemoryThatFailsFallsBackAndGivesItAllBackAndNoImageIsAClearError) {
    for (const char* call : {"shmat", "XShmAttach"}) {
        SCOPED_TRACE(call);
        const FailingCalls failing(call);
        Program program({"--size", "160x100"});
        const unsigned long window = windowOf(program, "plain");
        ASSERT_NE(window, 0u);
        expectScene(window, 160, 100);
        EXPECT_EQ(segmentsMadeBy(program.pid()), 0) << "a segment is left, held by the server";
        XDestroyWindow(display_, window);
        XSync(display_, False);
        EXPECT_EQ(program.wait(), 0);
    }
    {
        SCOPED_TRACE("XCreateImage");
        const FailingCalls failing("XCreateImage");
        Program program({"--size", "160x100", "--no-shm"});
        EXPECT_EQ(program.wait(), 2);
        EXPECT_NE(program.errors().find("cannot make an image of 160x100 for window 0x"),
                  std::string::npos);
    }
}
