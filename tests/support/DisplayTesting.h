#pragma once

// What tests that run a program on a real X server share: the program itself
// (spawned with its output captured, waited for with a time limit), a
// screenshot of one window as a user would take it (ImageMagick's import), and
// a fixture that opens the display or skips the test when there is none.

// gtest first: Xlib defines macros (None, Status) that clash with its names.
// clang-format off
#include <gtest/gtest.h>
#include <X11/Xlib.h>
// clang-format on

#include <cairo.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace aerolune::test {

using namespace std::chrono_literals;

struct Rgb {
    int r, g, b;
};

inline bool near(Rgb a, Rgb b, int tolerance = 2) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

inline std::string describe(Rgb c) {
    // Appended, not "(" + std::to_string(...): GCC 12 at -O3 warns wrongly
    // (-Wrestrict) about a literal put in front of a temporary string.
    std::string text = "(";
    text.append(std::to_string(c.r)).append(", ").append(std::to_string(c.g));
    text.append(", ").append(std::to_string(c.b)).append(")");
    return text;
}

class Program {
public:
    Program(const char* path, std::vector<std::string> arguments) {
        int out[2], err[2];
        EXPECT_EQ(::pipe(out), 0);
        EXPECT_EQ(::pipe(err), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        std::vector<char*> argv;
        arguments.insert(arguments.begin(), path);
        for (auto& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        EXPECT_EQ(posix_spawn(&pid_, path, &actions, nullptr, argv.data(), environ), 0);
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

    // What the program wrote on stderr: all of it once the program has ended,
    // what came within the time limit while it still runs.
    std::string errors(std::chrono::milliseconds limit = 2s) {
        std::string text;
        const auto end = std::chrono::steady_clock::now() + limit;
        for (auto left = limit; left.count() > 0;
             left = std::chrono::duration_cast<std::chrono::milliseconds>(
                 end - std::chrono::steady_clock::now())) {
            pollfd fd{err_, POLLIN, 0};
            if (::poll(&fd, 1, static_cast<int>(left.count())) != 1)
                break;
            char buffer[256];
            const ssize_t n = ::read(err_, buffer, sizeof buffer);
            if (n <= 0)
                break;
            text.append(buffer, static_cast<std::size_t>(n));
        }
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
    std::string path_ = "/tmp/aerolune-display-test-" + std::to_string(::getpid()) + ".png";
    cairo_surface_t* image_ = nullptr;
};

class DisplayTest : public ::testing::Test {
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

    void resize(unsigned long window, int width, int height) {
        XResizeWindow(display_, window, static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
        XSync(display_, False);
    }

    Display* display_ = nullptr;
};

} // namespace aerolune::test
