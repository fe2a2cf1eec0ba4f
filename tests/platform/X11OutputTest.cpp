// Runs the test scene on a real X server: in a window of its own and in a
// window given by id, checks what reached the screen, resizes the window and
// checks again, then ends the program by destroying the window (or by a
// signal) and expects a clean exit. Skipped without a display.

// gtest first: Xlib defines macros (None, Status) that clash with its names.
// clang-format off
#include <gtest/gtest.h>
#include <X11/Xlib.h>
// clang-format on

#include <cairo.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using namespace std::chrono_literals;

struct Rgb {
    int r, g, b;
};

// The scene's colours at the points where they are plain (see TestScene.cpp).
constexpr Rgb backdrop{19, 24, 98}, salmon{255, 137, 103}, green{154, 211, 117};

class Program {
public:
    explicit Program(std::vector<std::string> arguments) {
        int out[2], err[2];
        EXPECT_EQ(::pipe(out), 0);
        EXPECT_EQ(::pipe(err), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        std::vector<char*> argv;
        arguments.insert(arguments.begin(), AEROLUNE_TEST_SCENE);
        for (auto& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        EXPECT_EQ(posix_spawn(&pid_, AEROLUNE_TEST_SCENE, &actions, nullptr, argv.data(), environ),
                  0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        ::close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~Program() {
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(out_);
        ::close(err_);
    }

    // The first line the program prints, within a time limit.
    std::optional<std::string> readLine(std::chrono::milliseconds limit = 10s) {
        std::string line;
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            pollfd fd{out_, POLLIN, 0};
            if (::poll(&fd, 1, 100) != 1)
                continue;
            char c;
            if (::read(out_, &c, 1) != 1)
                return std::nullopt;
            if (c == '\n')
                return line;
            line += c;
        }
        return std::nullopt;
    }

    std::string errors() {
        std::string text;
        char buffer[256];
        ssize_t n;
        while ((n = ::read(err_, buffer, sizeof buffer)) > 0)
            text.append(buffer, static_cast<std::size_t>(n));
        return text;
    }

    // The exit status, or nothing when the program did not end in time.
    std::optional<int> wait(std::chrono::milliseconds limit = 10s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(20ms);
        }
        return std::nullopt;
    }

    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int out_ = -1, err_ = -1;
    bool exited_ = false;
};

// A screenshot of one window through ImageMagick, as a user would take it.
class Screenshot {
public:
    explicit Screenshot(unsigned long window) {
        char command[256];
        std::snprintf(command, sizeof command, "import -window 0x%lx png:%s 2>/dev/null", window,
                      path_.c_str());
        if (std::system(command) == 0)
            image_ = cairo_image_surface_create_from_png(path_.c_str());
        std::remove(path_.c_str());
    }
    ~Screenshot() {
        if (image_)
            cairo_surface_destroy(image_);
    }
    bool valid() const { return image_ && cairo_surface_status(image_) == CAIRO_STATUS_SUCCESS; }
    int width() const { return cairo_image_surface_get_width(image_); }
    int height() const { return cairo_image_surface_get_height(image_); }
    Rgb at(int x, int y) const {
        const auto* row =
            cairo_image_surface_get_data(image_) + y * cairo_image_surface_get_stride(image_);
        const std::uint32_t p = *reinterpret_cast<const std::uint32_t*>(row + 4 * x);
        return {static_cast<int>(p >> 16 & 255), static_cast<int>(p >> 8 & 255),
                static_cast<int>(p & 255)};
    }

private:
    std::string path_ = "/tmp/aerolune-x11-test-" + std::to_string(::getpid()) + ".png";
    cairo_surface_t* image_ = nullptr;
};

bool near(Rgb a, Rgb b) {
    return std::abs(a.r - b.r) <= 2 && std::abs(a.g - b.g) <= 2 && std::abs(a.b - b.b) <= 2;
}

std::string describe(Rgb c) {
    return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) +
           ")";
}

class X11OutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no display";
        // A busy server may refuse a connection for a moment.
        for (int attempt = 0; attempt < 20 && !display_; ++attempt) {
            display_ = XOpenDisplay(nullptr);
            if (!display_)
                std::this_thread::sleep_for(100ms);
        }
        if (!display_)
            GTEST_SKIP() << "the display cannot be opened";
    }
    void TearDown() override {
        if (display_)
            XCloseDisplay(display_);
    }

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
                seen = describe(top) + " " + describe(right) + " " + describe(bottom);
            } else if (shot.valid()) {
                seen = "a window of " + std::to_string(shot.width()) + "x" +
                       std::to_string(shot.height());
            }
            std::this_thread::sleep_for(100ms);
        }
        ADD_FAILURE() << "the scene at " << width << "x" << height << " did not show: " << seen;
    }

    void resize(unsigned long window, int width, int height) {
        XResizeWindow(display_, window, static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
        XSync(display_, False);
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

    Display* display_ = nullptr;
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
