#pragma once

#include "platform/core/Log.h"

namespace aerolune {

class SyslogSink final : public LogSink {
public:
    enum class Echo { none, toStderr };
    explicit SyslogSink(Echo echo);
    void write(std::string_view line) override;

private:
    Echo echo_;
};

} // namespace aerolune
