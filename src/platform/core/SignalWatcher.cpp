#include "platform/core/SignalWatcher.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace aerolune {
namespace {

int pipeFds[2] = {-1, -1};
volatile std::sig_atomic_t lastSignal = 0;

extern "C" void onGraceOver(int) {
    ::_exit(0);
}

// Runs between any two instructions of the main thread, which may be about
// to read errno: the write below must not change it (a full pipe sets EAGAIN).
extern "C" void onSignal(int number) {
    const int savedErrno = errno;
    if (!lastSignal)
        ::alarm(SignalWatcher::graceSeconds);
    lastSignal = number;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(pipeFds[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

SignalWatcher::SignalWatcher() {
    lastSignal = 0;
    if (::pipe2(pipeFds, O_NONBLOCK | O_CLOEXEC) != 0)
        pipeFds[0] = pipeFds[1] = -1;
    struct sigaction action {};
    action.sa_handler = onSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, &oldTerm_);
    ::sigaction(SIGINT, &action, &oldInt_);
    struct sigaction grace {};
    grace.sa_handler = onGraceOver;
    sigemptyset(&grace.sa_mask);
    ::sigaction(SIGALRM, &grace, &oldAlarm_);
    sigset_t ours;
    sigemptyset(&ours);
    sigaddset(&ours, SIGTERM);
    sigaddset(&ours, SIGINT);
    sigaddset(&ours, SIGALRM);
    ::sigprocmask(SIG_UNBLOCK, &ours, &oldMask_);
}

SignalWatcher::~SignalWatcher() {
    ::alarm(0);
    ::sigaction(SIGALRM, &oldAlarm_, nullptr);
    ::sigprocmask(SIG_SETMASK, &oldMask_, nullptr);
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
