#include "platform/core/Log.h"

#include "platform/core/SyslogSink.h"

#include <utility>

namespace aerolune {
namespace {

std::shared_ptr<LogSink>& slot() {
    static std::shared_ptr<LogSink> sink = std::make_shared<SyslogSink>(SyslogSink::Echo::none);
    return sink;
}

} // namespace

void systemLog(std::string_view line) {
    slot()->write(line);
}

void setLogSink(std::shared_ptr<LogSink> sink) {
    slot() = sink ? std::move(sink) : std::make_shared<SyslogSink>(SyslogSink::Echo::none);
}

std::shared_ptr<LogSink> logSink() {
    return slot();
}

} // namespace aerolune
