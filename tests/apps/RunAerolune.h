#pragma once

// Runs the built aerolune program with arguments, in this process's
// environment (so ScopedConfigHome and ScopedTimeZone reach it), and collects
// its exit status and both output streams.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace aerolune::test {

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline std::string fileText(const std::filesystem::path& path) {
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

// `scratch` is a folder for the captured streams.
inline ProgramRun runAerolune(const std::vector<std::string>& arguments,
                              const std::filesystem::path& scratch) {
    std::string command = shellQuoted(AEROLUNE_PROGRAM);
    for (const auto& argument : arguments)
        command += " " + shellQuoted(argument);
    const auto out = scratch / "stdout.txt", err = scratch / "stderr.txt";
    command += " >" + shellQuoted(out) + " 2>" + shellQuoted(err) + " </dev/null";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, fileText(out), fileText(err)};
}

} // namespace aerolune::test
