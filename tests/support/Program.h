#pragma once

// Runs a built program, or one found on the PATH, as a user would, in this
// process's environment (so ScopedConfigHome and ScopedTimeZone reach it),
// with both output streams captured. Nothing here can hang a test: every read
// and every wait has a time limit, and a program still running at the end is
// killed.
//
//     auto run = runProgram(AEROLUNE_PROGRAM, {"--forecast"});
//     EXPECT_EQ(run.status, 0);
//
//     Program saver(AEROLUNE_PROGRAM, {"-window-id", id});   // runs on
//     saver.readLine(); ::kill(saver.pid(), SIGTERM); saver.wait();

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
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

class Program {
public:
    Program(const std::string& path, std::vector<std::string> arguments) {
        int out[2], err[2];
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        arguments.insert(arguments.begin(), path);
        std::vector<char*> argv;
        for (auto& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        if (::posix_spawnp(&pid_, path.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        ::close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~Program() {
        if (pid_ > 0 && !status_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        for (const int fd : {out_, err_})
            if (fd >= 0)
                ::close(fd);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

    // The next line on stdout, if one comes within the limit.
    std::optional<std::string> readLine(std::chrono::milliseconds limit = 10s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        for (;;) {
            if (const auto newline = out.find('\n'); newline != std::string::npos) {
                std::string line = out.substr(0, newline);
                out.erase(0, newline + 1);
                return line;
            }
            if (!pump(out_, out, end))
                return std::nullopt;
        }
    }

    // Reads both streams until the program ends, or until the limit.
    // The exit status (128 + signal for a killed program), or nothing.
    std::optional<int> wait(std::chrono::milliseconds limit = 30s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        for (;;) {
            const bool exited = ended();
            // Once it has ended, all it wrote is waiting in the pipes.
            while (pump(out_, out, end, 0ms) || pump(err_, err, end, 0ms)) {
            }
            if (exited)
                return status_;
            if (std::chrono::steady_clock::now() >= end)
                return std::nullopt;
            pollfd both[] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
            ::poll(both, 2, 10);
        }
    }

    // What came so far; readLine() takes lines from the front of `out`.
    std::string out, err;

private:
    // Appends what `fd` has within the limit; false at its end or the limit.
    bool pump(int& fd, std::string& into, std::chrono::steady_clock::time_point end,
              std::chrono::milliseconds most = std::chrono::milliseconds::max()) {
        if (fd < 0)
            return false;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        left = std::clamp(left, 0ms, most);
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, static_cast<int>(left.count())) != 1)
            return false;
        char buffer[4096];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            ::close(fd);
            fd = -1;
            return false;
        }
        into.append(buffer, static_cast<std::size_t>(n));
        return true;
    }
    bool ended() {
        if (status_ || pid_ <= 0)
            return true;
        int raw = 0;
        if (::waitpid(pid_, &raw, WNOHANG) != pid_)
            return false;
        status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        return true;
    }

    pid_t pid_ = -1;
    int out_ = -1, err_ = -1;
    std::optional<int> status_;
};

// A program whose standard error is merged into what readLine() reads, for
// tests that follow its log (--log-stderr) line by line.
class LoggedProgram : public Program {
public:
    LoggedProgram(const std::string& path, std::vector<std::string> arguments)
        : Program("/bin/sh", [&] {
              arguments.insert(arguments.begin(), {"-c", "exec \"$0\" \"$@\" 2>&1", path});
              return std::move(arguments);
          }()) {}

    // Reads lines until one holds `text`; false when none comes in time.
    bool awaitLine(const std::string& text, std::chrono::milliseconds limit = 20s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (const auto line = readLine(std::chrono::duration_cast<std::chrono::milliseconds>(
                   end - std::chrono::steady_clock::now()))) {
            seen += *line + "\n";
            if (line->find(text) != std::string::npos)
                return true;
        }
        return false;
    }
    std::string seen; // every line awaitLine() has read
};

struct ProgramRun {
    int status = -1; // -1: it did not end within the limit and was killed
    std::string out, err;
};

// Runs a program to its end and returns what it printed.
inline ProgramRun runProgram(const std::string& path, std::vector<std::string> arguments,
                             std::chrono::milliseconds limit = 60s) {
    Program program(path, std::move(arguments));
    const auto status = program.wait(limit);
    return {status.value_or(-1), std::move(program.out), std::move(program.err)};
}

} // namespace aerolune::test
