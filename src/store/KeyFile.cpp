#include "store/KeyFile.h"

#include "platform/core/Trimmed.h"

#include <optional>

namespace aerolune {
namespace {

std::string_view trim(std::string_view text) {
    return trimmed(text, " \t\r");
}

} // namespace

Result<KeyFile::Entries> KeyFile::parse(std::string_view text, std::string_view group) {
    Entries entries;
    std::optional<std::string_view> current;
    int number = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        ++number;
        if (line.empty() || line.front() == '#' || line.front() == ';')
            continue;
        if (line.front() == '[' && line.back() == ']' && line.size() > 2) {
            current = trim(line.substr(1, line.size() - 2));
            continue;
        }
        const auto equals = line.find('=');
        const std::string_view key = trim(line.substr(0, equals));
        if (equals == std::string_view::npos || key.empty() || !current)
            return failure("line " + std::to_string(number) +
                           " is not a [group], a key=value pair in a group or a comment");
        if (*current == group)
            entries[std::string(key)] = trim(line.substr(equals + 1));
    }
    return entries;
}

std::string KeyFile::format(std::string_view group, const Entries& entries) {
    // Appended, not "[" + std::string(group): GCC 12 at -O3 warns wrongly
    // (-Wrestrict) about a literal put in front of a temporary string.
    std::string text = "[";
    text.append(group).append("]\n");
    for (const auto& [key, value] : entries)
        text += key + "=" + value + "\n";
    return text;
}

} // namespace aerolune
