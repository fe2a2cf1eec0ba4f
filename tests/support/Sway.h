#pragma once

// A headless sway for tests of the Wayland saver: wlroots' headless backend
// with its pixman renderer, so no GPU, seat or input device is needed. It runs
// with its own runtime folder and configuration, and while it lives the test
// process's environment points at it (WAYLAND_DISPLAY, SWAYSOCK; DISPLAY
// unset), so that programs the test starts find it as in a Wayland session.
//
// sway refuses to run as root: a test running as root starts it as "nobody",
// and reaches its sockets all the same. Tests skip when sway is not installed
// (SKIP_WITHOUT_SWAY); grim takes the screenshots, swaymsg sends commands.
//
// The headless backend of sway 1.7 can add outputs (swaymsg create_output)
// but cannot take one away (sway 1.9 can: swaymsg output NAME unplug). For
// outputs that go there, a sway runs nested in another (its wayland backend):
// each of its outputs is a window of the outer one ("wlroots - WL-1"), and
// closing that window unplugs the output.
//
//     test::Sway sway;
//     SKIP_WITHOUT_SWAY(sway);
//     test::Program saver(AEROLUNE_PROGRAM, {"--layer", "background"});
//     auto shot = sway.screenshot("HEADLESS-1");

#include "support/Pixels.h"
#include "support/Program.h"
#include "support/ScopedConfigHome.h"
#include "support/TemporaryFolder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <pwd.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace aerolune::test {

#define SKIP_WITHOUT_SWAY(sway)                                                                    \
    do {                                                                                           \
        if (!(sway).installed())                                                                   \
            GTEST_SKIP() << "sway is not installed";                                               \
        ASSERT_TRUE((sway).running()) << (sway).log();                                             \
    } while (false)

class Sway {
public:
    // Starts sway with one output of 1920x1080 (headless), or nested in
    // `host` with one output of 1280x720, with `config` added to its configuration.
    explicit Sway(const std::string& config = "", const Sway* host = nullptr)
        : host_(host), wayland_("WAYLAND_DISPLAY", socket().c_str()),
          ipc_("SWAYSOCK", ipcSocket().c_str()) {
        if (!installed())
            return;
        std::ofstream(runtime_ / "config")
            << (host ? "" : "output HEADLESS-1 resolution 1920x1080\n")
            << "xwayland disable\n"
            // A nested sway's outputs keep their size as floating windows.
            << "default_border none\ndefault_floating_border none\n"
            << "for_window [title=\"^wlroots - \"] floating enable\n"
            << config;
        start();
        // Ready once its IPC describes the first output: clients that connect
        // then find the output described.
        const auto end = std::chrono::steady_clock::now() + 20s;
        while (!ready_ && process_ && std::chrono::steady_clock::now() < end &&
               !process_->wait(50ms))
            ready_ =
                message({"-t", "get_outputs"}).value_or("").find(host ? "WL-1" : "HEADLESS-1") !=
                std::string::npos;
    }
    ~Sway() { stop(); }

    static bool installed() { return ::access(program, X_OK) == 0; }
    // sway 1.9 and later can unplug a headless output; 1.7 cannot.
    static bool unplugsHeadlessOutputs() {
        const auto run = runProgram(program, {"--version"}, 10s);
        int major = 0, minor = 0;
        return std::sscanf(run.out.c_str(), "sway version %d.%d", &major, &minor) == 2 &&
               (major > 1 || minor >= 9);
    }
    bool running() const { return ready_; }
    std::string log() const {
        return "sway did not start:\n" + (process_ ? process_->out + process_->err : "");
    }
    std::string socket() const { return (runtime_ / "wayland-1").string(); }

    // swaymsg with these arguments: what it printed, or nothing when it failed.
    std::optional<std::string> message(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), {"-s", ipcSocket()});
        auto run = runProgram("/usr/bin/swaymsg", std::move(arguments), 10s);
        return run.status == 0 ? std::optional(std::move(run.out)) : std::nullopt;
    }

    // A screenshot of one output, or of all of them side by side.
    std::optional<Pixels> screenshot(const std::string& output = {}) const {
        const std::string path = (runtime_ / "shot.png").string();
        std::vector<std::string> arguments = {"WAYLAND_DISPLAY=" + socket(), "/usr/bin/grim"};
        if (!output.empty())
            arguments.insert(arguments.end(), {"-o", output});
        arguments.push_back(path);
        std::optional<Pixels> shot;
        if (runProgram("/usr/bin/env", arguments, 20s).status == 0)
            shot.emplace(Pixels::fromPng(path));
        std::filesystem::remove(path);
        return shot && shot->valid() ? shot : std::nullopt;
    }

    // Ends sway (SIGTERM) and waits for it: the compositor goes away.
    void stop() {
        if (!process_ || !process_->started())
            return;
        ::kill(process_->pid(), SIGTERM);
        process_->wait(5s); // then killed, if it lingers, as it goes
        process_.reset();
        ready_ = false;
    }

private:
    static constexpr const char* program = "/usr/bin/sway";

    std::string ipcSocket() const { return (runtime_ / "ipc.sock").string(); }

    // In an environment of its own; as root, as the unprivileged user (its
    // runtime folder made its own), since sway will not run as root.
    void start() {
        std::vector<std::string> command = {"-i",
                                            "XDG_RUNTIME_DIR=" + runtime_.string(),
                                            "HOME=" + runtime_.string(),
                                            "SWAYSOCK=" + ipcSocket(),
                                            "WLR_RENDERER=pixman",
                                            "WLR_LIBINPUT_NO_DEVICES=1",
                                            "PATH=/usr/bin:/bin"};
        if (host_)
            command.insert(command.end(),
                           {"WLR_BACKENDS=wayland", "WAYLAND_DISPLAY=" + host_->socket()});
        else
            command.emplace_back("WLR_BACKENDS=headless");
        command.insert(command.end(), {program, "-c", (runtime_ / "config").string()});
        if (const passwd* nobody = ::getuid() == 0 ? ::getpwnam("nobody") : nullptr) {
            if (::chown(runtime_.c_str(), nobody->pw_uid, nobody->pw_gid) != 0)
                return;
            command.insert(command.begin(),
                           {"--reuid=nobody", "--regid=nogroup", "--clear-groups", "/usr/bin/env"});
            process_.emplace("/usr/bin/setpriv", command);
        } else {
            process_.emplace("/usr/bin/env", command);
        }
    }

    const Sway* host_;
    TemporaryFolder runtimeFolder_{"aerolune-sway"};
    const std::filesystem::path& runtime_ = runtimeFolder_.path();
    ScopedEnvironmentVariable wayland_, ipc_, x11_{"DISPLAY", nullptr};
    std::optional<Program> process_;
    bool ready_ = false;
};

} // namespace aerolune::test
