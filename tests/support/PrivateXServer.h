#pragma once

// An X server of a test's own (Xvfb), for what would change the shared one:
// its depth, or its resources. While it lives, display() is a connection to
// it and name() its display name for DISPLAY.

// gtest first: Xlib defines macros (None, Status) that clash with its names.
// clang-format off
#include <gtest/gtest.h>
#include <X11/Xlib.h>
#include <X11/Xatom.h>
// clang-format on

#include "support/Program.h"

#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace aerolune::test {

class PrivateXServer {
public:
    explicit PrivateXServer(const std::string& screen) {
        int number = 160;
        while (std::filesystem::exists("/tmp/.X" + std::to_string(number) + "-lock"))
            ++number;
        name_ = ":" + std::to_string(number);
        server_ = std::make_unique<Program>("Xvfb", std::vector<std::string>{name_, "-noreset",
                                                                             "-screen", "0", screen,
                                                                             "-nolisten", "tcp"});
        for (int attempt = 0; attempt < 50 && !display_; ++attempt)
            if (!(display_ = XOpenDisplay(name_.c_str())))
                std::this_thread::sleep_for(100ms);
    }
    ~PrivateXServer() {
        if (display_)
            XCloseDisplay(display_);
        ::kill(server_->pid(), SIGTERM);
        server_->wait(5s);
    }
    Display* display() const { return display_; }
    const std::string& name() const { return name_; }
    void setResources(const std::string& resources) {
        XChangeProperty(display_, DefaultRootWindow(display_),
                        XInternAtom(display_, "RESOURCE_MANAGER", False), XA_STRING, 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(resources.data()),
                        int(resources.size()));
        XSync(display_, False);
    }

private:
    std::string name_;
    std::unique_ptr<Program> server_;
    Display* display_ = nullptr;
};

} // namespace aerolune::test
