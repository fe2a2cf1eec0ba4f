#pragma once

// Reads a whole gzip-compressed file into memory.

#include <filesystem>
#include <optional>
#include <string>

namespace aerolune {

struct CompressedFile {
    // The uncompressed bytes, or none when the file is missing, unreadable or
    // not a complete gzip stream; the reason then goes to error.
    static std::optional<std::string> read(const std::filesystem::path& path, std::string& error);
};

} // namespace aerolune
