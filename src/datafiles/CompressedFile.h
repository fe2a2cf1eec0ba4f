#pragma once

// Reads a whole gzip-compressed file into memory.

#include "platform/core/Result.h"

#include <cstddef>
#include <filesystem>
#include <string>

namespace aerolune {

struct CompressedFile {
    // Far more than any data file of ours holds.
    static constexpr std::size_t defaultLimit = std::size_t(64) << 20;

    // The uncompressed bytes; a failure when the file is missing, unreadable,
    // not a complete gzip stream, or inflates to more than `limit` bytes (a
    // damaged file, or one made to exhaust memory: gzip can inflate a
    // thousandfold, and concatenated members without any bound). Inflating
    // stops just past the limit.
    static Result<std::string> read(const std::filesystem::path& path,
                                    std::size_t limit = defaultLimit);
};

} // namespace aerolune
