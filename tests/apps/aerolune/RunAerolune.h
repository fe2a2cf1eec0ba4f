#pragma once

// Runs the built aerolune program in this process's environment (so
// ScopedConfigHome and ScopedTimeZone reach it) and collects its exit status
// and both output streams, written to files in `scratch`.

#include "support/ScopedConfigHome.h"

#include <sys/wait.h>
#include <vector>

namespace aerolune::test {

struct ProgramRun {
    int status = -1;
    std::string out, err;
};

inline std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline ProgramRun runAerolune(const std::vector<std::string>& arguments,
                              const std::filesystem::path& scratch) {
    std::string command = shellQuoted(AEROLUNE_PROGRAM);
    // Appended, not " " + ...: GCC 12 at -O3 warns wrongly (-Wrestrict) about a
    // literal put in front of a temporary string.
    for (const auto& argument : arguments)
        command.append(" ").append(shellQuoted(argument));
    const auto out = scratch / "stdout.txt", err = scratch / "stderr.txt";
    command.append(" >").append(shellQuoted(out)).append(" 2>").append(shellQuoted(err));
    command += " </dev/null";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, fileText(out), fileText(err)};
}

} // namespace aerolune::test
