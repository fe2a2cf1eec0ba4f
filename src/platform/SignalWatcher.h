#pragma once

// Turns SIGTERM and SIGINT into a readable descriptor for as long as it lives,
// so that a loop asleep in poll() can end cleanly instead of being killed.
// One at a time; the previous handlers come back on destruction.

#include <csignal>

namespace aerolune {

class SignalWatcher {
public:
    SignalWatcher();
    ~SignalWatcher();
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

    int fd() const;
    // The signal received, or 0.
    int received() const;

private:
    struct sigaction oldTerm_ {};
    struct sigaction oldInt_ {};
};

} // namespace aerolune
