#pragma once

// Test helpers that swap a piece of process-wide state for the length of a scope.

#include "platform/core/Clock.h"
#include "platform/core/Log.h"
#include "platform/core/ManualClock.h"
#include "platform/core/RecordingLogSink.h"
#include "platform/core/Time.h"

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

namespace aerolune::test {

// A moment written in ISO 8601 with its zone ("2024-06-21T12:00:00+02:00"),
// for tests that only ever write valid ones.
inline TimePoint at(const char* iso) {
    return parseIso8601(iso).value();
}

// Sets (or, with nullptr, unsets) an environment variable and restores it.
class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnvironmentVariable() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

// Sets TZ (an IANA name or a POSIX string) and restores the old value.
struct ScopedTimeZone : ScopedEnvironmentVariable {
    explicit ScopedTimeZone(const char* zone) : ScopedEnvironmentVariable("TZ", zone) {}
};

// Installs a ManualClock as the process clock.
class ScopedManualClock {
public:
    explicit ScopedManualClock(TimePoint start = 0)
        : clock_(std::make_shared<ManualClock>(start)), old_(Clock::currentShared()) {
        Clock::setCurrent(clock_);
    }
    ~ScopedManualClock() { Clock::setCurrent(old_); }
    ScopedManualClock(const ScopedManualClock&) = delete;
    ScopedManualClock& operator=(const ScopedManualClock&) = delete;

    ManualClock& operator*() const { return *clock_; }
    ManualClock* operator->() const { return clock_.get(); }

private:
    std::shared_ptr<ManualClock> clock_;
    std::shared_ptr<Clock> old_;
};

// Records every log line.
class ScopedLogRecorder {
public:
    ScopedLogRecorder() : sink_(std::make_shared<RecordingLogSink>()), old_(logSink()) {
        setLogSink(sink_);
    }
    ~ScopedLogRecorder() { setLogSink(old_); }
    ScopedLogRecorder(const ScopedLogRecorder&) = delete;
    ScopedLogRecorder& operator=(const ScopedLogRecorder&) = delete;

    const std::vector<std::string>& lines() const { return sink_->lines(); }
    void clear() { sink_->clear(); }

private:
    std::shared_ptr<RecordingLogSink> sink_;
    std::shared_ptr<LogSink> old_;
};

} // namespace aerolune::test
