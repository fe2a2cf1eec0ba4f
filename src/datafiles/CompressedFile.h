#pragma once

// Reads a whole gzip-compressed file into memory.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace aerolune {

struct CompressedFile {
    // Far more than any data file of ours holds.
    static constexpr std::size_t defaultLimit = std::size_t(64) << 20;

    // The uncompressed bytes, or none when the file is missing, unreadable,
    // not a complete gzip stream, or inflates to more than `limit` bytes (a
    // damaged file, or one made to exhaust memory: gzip can inflate a
    // thousandfold, and concatenated members without any bound); the reason
    // then goes to error. Inflating stops just past the limit.
    static std::optional<std::string> read(const std::filesystem::path& path, std::string& error,
                                           std::size_t limit = defaultLimit);
};

} // namespace aerolune
