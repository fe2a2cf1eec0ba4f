#include "sheet/FrameAutosave.h"

#include "platform/core/Log.h"
#include "store/PreferenceSuite.h"

#include <charconv>
#include <cstdlib>

namespace aerolune {
namespace {

bool plausible(const FrameAutosave::Frame& frame) {
    constexpr int limit = FrameAutosave::maximumExtent;
    return frame.width > 0 && frame.height > 0 && frame.width <= limit && frame.height <= limit &&
           std::abs(frame.x) <= limit && std::abs(frame.y) <= limit;
}

} // namespace

std::string FrameAutosave::format(Frame frame) {
    return std::to_string(frame.x) + " " + std::to_string(frame.y) + " " +
           std::to_string(frame.width) + " " + std::to_string(frame.height);
}

std::optional<FrameAutosave::Frame> FrameAutosave::parse(std::string_view text) {
    int values[4];
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (at == end || *at != ' ')
                return std::nullopt;
            ++at;
        }
        const auto [next, error] = std::from_chars(at, end, values[i]);
        if (error != std::errc())
            return std::nullopt;
        at = next;
    }
    const Frame frame{values[0], values[1], values[2], values[3]};
    if (at != end || !plausible(frame))
        return std::nullopt;
    return frame;
}

std::optional<FrameAutosave::Frame> FrameAutosave::frame(std::string_view autosaveName) {
    const auto suite = PreferenceSuite::open(std::string(suiteName));
    if (!suite)
        return std::nullopt;
    const auto entries = suite->read();
    if (!entries) {
        systemLog("[vemo] FrameAutosave. ignoring the saved frames: " + entries.error().message);
        return std::nullopt;
    }
    const auto found = entries->find(autosaveName);
    if (found == entries->end())
        return std::nullopt;
    return parse(found->second);
}

Result<void> FrameAutosave::setFrame(std::string_view autosaveName, Frame frame) {
    if (!plausible(frame))
        return failure("the frame " + format(frame) + " is not one of a window on a screen");
    const auto suite = PreferenceSuite::open(std::string(suiteName));
    if (!suite)
        return failure("no settings folder: " + suite.error().message);
    return suite->write({{std::string(autosaveName), format(frame)}});
}

} // namespace aerolune
