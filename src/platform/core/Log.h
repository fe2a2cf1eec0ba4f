#pragma once

// systemLog(line) writes one line per event. By default the line goes to syslog
// with the ident "aerolune" and nowhere else: XScreenSaver may paint a hack's
// stderr over the screen, so the saver stays quiet there unless asked
// (--log-stderr). Tests swap in a RecordingLogSink.

#include <memory>
#include <string>
#include <string_view>

namespace aerolune {

class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void write(std::string_view line) = 0;
};

void systemLog(std::string_view line);

// Replaces the process's sink; a null sink restores syslog only.
void setLogSink(std::shared_ptr<LogSink> sink);
std::shared_ptr<LogSink> logSink();

} // namespace aerolune
