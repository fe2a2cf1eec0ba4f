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
// but cannot take one away. For outputs that go, a sway runs nested in
// another (its wayland backend): each of its outputs is a window of the outer
// one ("wlroots - WL-1"), and closing that window unplugs the output.
//
//     test::Sway sway;
//     SKIP_WITHOUT_SWAY(sway);
//     test::Program saver(AEROLUNE_PROGRAM, {"--layer", "background"});
//     auto shot = sway.screenshot("HEADLESS-1");

#include "support/Pixels.h"
#include "support/Program.h"
#include "support/ScopedConfigHome.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <memory>
#include <optional>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
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
    explicit Sway(const std::string& config = "", const Sway* host = nullptr) : host_(host) {
        if (!installed())
            return;
        char folder[] = "/tmp/aerolune-sway-XXXXXX";
        if (!::mkdtemp(folder))
            return;
        runtime_ = folder;
        std::ofstream(runtime_ / "config")
            << (host ? "" : "output HEADLESS-1 resolution 1920x1080\n")
            << "xwayland disable\n"
            // A nested sway's outputs keep their size as floating windows.
            << "default_border none\ndefault_floating_border none\n"
            << "for_window [title=\"^wlroots - \"] floating enable\n"
            << config;
        start();
        if (pid_ > 0)
            waitUntilReady();
    }
    ~Sway() {
        stop();
        environment_.clear();
        if (!runtime_.empty())
            std::filesystem::remove_all(runtime_);
    }
    Sway(const Sway&) = delete;
    Sway& operator=(const Sway&) = delete;

    static bool installed() { return ::access(program, X_OK) == 0; }
    bool running() const { return pid_ > 0 && !ipcSocket_.empty(); }
    std::string log() const { return "sway did not start:\n" + fileText(runtime_ / "sway.log"); }
    pid_t pid() const { return pid_; }
    std::string socket() const { return (runtime_ / "wayland-1").string(); }
    // The first output's name.
    std::string firstOutput() const { return host_ ? "WL-1" : "HEADLESS-1"; }

    // swaymsg with these arguments: what it printed, or nothing when it failed.
    std::optional<std::string> message(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), {"-s", ipcSocket_});
        auto run = runProgram("/usr/bin/swaymsg", std::move(arguments), 10s);
        if (run.status != 0)
            return std::nullopt;
        return run.out;
    }

    // A screenshot of one output, or of all of them side by side.
    std::optional<Pixels> screenshot(const std::string& output = {}) const {
        const ScopedEnvironmentVariable display("WAYLAND_DISPLAY", socket().c_str());
        const std::string path = (runtime_ / "shot.png").string();
        std::vector<std::string> arguments;
        if (!output.empty())
            arguments = {"-o", output};
        arguments.push_back(path);
        if (runProgram("/usr/bin/grim", arguments, 20s).status != 0)
            return std::nullopt;
        auto shot = Pixels::fromPng(path);
        std::filesystem::remove(path);
        if (!shot.valid())
            return std::nullopt;
        return shot;
    }

    // Ends sway (SIGTERM) and waits for it: the compositor goes away.
    void stop() {
        if (pid_ <= 0)
            return;
        ::kill(pid_, SIGTERM);
        for (int i = 0; i < 100 && ::waitpid(pid_, nullptr, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(50ms);
        if (::waitpid(pid_, nullptr, WNOHANG) == 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }

private:
    static constexpr const char* program = "/usr/bin/sway";

    // Forked rather than spawned: the child takes the unprivileged user's
    // identity before it becomes sway.
    void start() {
        const passwd* nobody = ::getuid() == 0 ? ::getpwnam("nobody") : nullptr;
        if (nobody) {
            ::chown(runtime_.c_str(), nobody->pw_uid, nobody->pw_gid);
            ::chmod(runtime_.c_str(), 0700);
        }
        std::vector<std::string> environment = {"XDG_RUNTIME_DIR=" + runtime_.string(),
                                                "HOME=" + runtime_.string(), "WLR_RENDERER=pixman",
                                                "WLR_LIBINPUT_NO_DEVICES=1", "PATH=/usr/bin:/bin"};
        if (host_)
            environment.insert(environment.end(),
                               {"WLR_BACKENDS=wayland", "WAYLAND_DISPLAY=" + host_->socket()});
        else
            environment.emplace_back("WLR_BACKENDS=headless");
        std::vector<const char*> env;
        for (const auto& variable : environment)
            env.push_back(variable.c_str());
        env.push_back(nullptr);
        const std::string config = (runtime_ / "config").string();
        const std::string logPath = (runtime_ / "sway.log").string();
        pid_ = ::fork();
        if (pid_ != 0)
            return;
        const int logFd = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(logFd, 1);
        ::dup2(logFd, 2);
        const int nullFd = ::open("/dev/null", O_RDONLY);
        ::dup2(nullFd, 0);
        if (nobody && (::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 ||
                       ::setuid(nobody->pw_uid) != 0))
            ::_exit(127);
        const char* argv[] = {program, "-c", config.c_str(), nullptr};
        ::execve(program, const_cast<char**>(argv), const_cast<char**>(env.data()));
        ::_exit(127);
    }

    // Ready once its IPC answers with the first output: clients that connect
    // then find the output described.
    void waitUntilReady() {
        const auto end = std::chrono::steady_clock::now() + 20s;
        while (std::chrono::steady_clock::now() < end && ::waitpid(pid_, nullptr, WNOHANG) == 0) {
            for (const auto& entry : std::filesystem::directory_iterator(runtime_))
                if (entry.path().filename().string().starts_with("sway-ipc."))
                    ipcSocket_ = entry.path().string();
            if (!ipcSocket_.empty() && std::filesystem::exists(runtime_ / "wayland-1")) {
                environment_.clear();
                const auto wayland = socket();
                for (const auto& [name, value] :
                     {std::pair<const char*, const char*>{"WAYLAND_DISPLAY", wayland.c_str()},
                      {"SWAYSOCK", ipcSocket_.c_str()},
                      {"DISPLAY", nullptr}})
                    environment_.push_back(
                        std::make_unique<ScopedEnvironmentVariable>(name, value));
                const auto outputs = message({"-t", "get_outputs"});
                if (outputs && outputs->find(firstOutput()) != std::string::npos)
                    return;
            }
            std::this_thread::sleep_for(50ms);
        }
        ipcSocket_.clear();
    }

    const Sway* host_;
    std::filesystem::path runtime_;
    std::string ipcSocket_;
    pid_t pid_ = -1;
    std::vector<std::unique_ptr<ScopedEnvironmentVariable>> environment_;
};

} // namespace aerolune::test
