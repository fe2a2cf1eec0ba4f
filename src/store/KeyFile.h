#pragma once

// The text of a small key file, the format desktop programs use for settings:
//
//     # comment
//     [Group]
//     key=value
//
// Blank lines and lines starting with '#' or ';' are ignored; spaces around
// keys, values and group names are dropped; a later key replaces an earlier
// one. Only the keys of one group are kept: the store has a single group.

#include "platform/core/Result.h"

#include <map>
#include <string>
#include <string_view>

namespace aerolune {

class KeyFile {
public:
    using Entries = std::map<std::string, std::string, std::less<>>;

    // The entries of `group` in `text`, or why the text cannot be read as a
    // key file.
    static Result<Entries> parse(std::string_view text, std::string_view group);

    // The text of a file holding `entries` in `group`.
    static std::string format(std::string_view group, const Entries& entries);
};

} // namespace aerolune
