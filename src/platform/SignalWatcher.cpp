#include "platform/SignalWatcher.h"

#include <fcntl.h>
#include <unistd.h>

namespace aerolune {
namespace {

int pipeFds[2] = {-1, -1};
volatile std::sig_atomic_t lastSignal = 0;

extern "C" void onSignal(int number) {
    lastSignal = number;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(pipeFds[1], &byte, 1);
}

} // namespace

SignalWatcher::SignalWatcher() {
    lastSignal = 0;
    if (::pipe2(pipeFds, O_NONBLOCK | O_CLOEXEC) != 0)
        pipeFds[0] = pipeFds[1] = -1;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, &oldTerm_);
    ::sigaction(SIGINT, &action, &oldInt_);
}

SignalWatcher::~SignalWatcher() {
    ::sigaction(SIGTERM, &oldTerm_, nullptr);
    ::sigaction(SIGINT, &oldInt_, nullptr);
    for (int& fd : pipeFds) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

int SignalWatcher::fd() const {
    return pipeFds[0];
}

int SignalWatcher::received() const {
    return lastSignal;
}

} // namespace aerolune
