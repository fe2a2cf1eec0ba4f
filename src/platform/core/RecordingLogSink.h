#pragma once

#include "platform/core/Log.h"

#include <string>
#include <vector>

namespace aerolune {

// Keeps every line, for tests that check what was logged and in which order.
class RecordingLogSink final : public LogSink {
public:
    void write(std::string_view line) override { lines_.emplace_back(line); }
    const std::vector<std::string>& lines() const { return lines_; }
    void clear() { lines_.clear(); }

private:
    std::vector<std::string> lines_;
};

} // namespace aerolune
