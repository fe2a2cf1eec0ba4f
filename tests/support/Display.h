#pragma once

// What tests on a real X server share: a fixture that opens the display or
// skips the test when there is none, and a screenshot of one window as a user
// would take it (ImageMagick's import).

// gtest first: Xlib defines macros (None, Status) that clash with its names.
// clang-format off
#include <gtest/gtest.h>
#include <X11/Xlib.h>
// clang-format on

#include "support/Pixels.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>

namespace aerolune::test {

// The window's picture, or nothing when it cannot be taken.
inline std::optional<Pixels> screenshot(unsigned long window) {
    const std::string path = "/tmp/aerolune-screenshot-" + std::to_string(::getpid()) + ".png";
    char command[256];
    std::snprintf(command, sizeof command, "import -window 0x%lx png:%s 2>/dev/null", window,
                  path.c_str());
    std::optional<Pixels> shot;
    if (std::system(command) == 0)
        shot.emplace(Pixels::fromPng(path));
    std::remove(path.c_str());
    return shot && shot->valid() ? shot : std::nullopt;
}

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no display";
        // A busy server may refuse a connection for a moment.
        for (int attempt = 0; attempt < 20 && !display_; ++attempt) {
            display_ = XOpenDisplay(nullptr);
            if (!display_)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
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
