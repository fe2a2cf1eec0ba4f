#include "platform/core/SyslogSink.h"

#include <cstdio>
#include <string>
#include <syslog.h>

namespace aerolune {

SyslogSink::SyslogSink(Echo echo) : echo_(echo) {
    ::openlog("aerolune", LOG_PID | LOG_NDELAY, LOG_USER);
}

void SyslogSink::write(std::string_view line) {
    const std::string text(line);
    ::syslog(LOG_NOTICE, "%s", text.c_str());
    if (echo_ == Echo::toStderr) {
        std::fprintf(stderr, "aerolune: %s\n", text.c_str());
        std::fflush(stderr);
    }
}

} // namespace aerolune
