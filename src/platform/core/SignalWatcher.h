#pragma once

// Turns SIGTERM and SIGINT into a readable descriptor for as long as it lives,
// so that a loop asleep in poll() can end cleanly instead of being killed.
// One at a time; the previous handlers come back on destruction.
//
// The saver makes one at its start, so that a signal during startup (reading
// the stored place, opening the display) is kept until the run loop looks at
// received(), and ends the run as cleanly as one that comes later. For the
// same reason the two signals are unblocked while it lives: a parent that
// started the saver with them blocked could otherwise never stop it. The
// handler sets SA_RESTART so that startup's reads and writes are not cut short
// by it; poll() is woken all the same.
//
// A saver told to stop must stop, whatever it is waiting on when the signal
// comes: a display server that never answers, a file that never opens. The
// first signal also arms a timer, and a program that has not ended by itself
// graceSeconds later is ended there, with status 0 like any run a signal
// ends. Letting the watcher go disarms it.

#include <csignal>

namespace aerolune {

class SignalWatcher {
public:
    static constexpr unsigned graceSeconds = 3;

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
    struct sigaction oldAlarm_ {};
    sigset_t oldMask_{};
};

} // namespace aerolune
