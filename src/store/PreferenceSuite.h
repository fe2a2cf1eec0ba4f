#pragma once

// A named set of preferences kept as a key file in the user's configuration
// folder: ${XDG_CONFIG_HOME:-$HOME/.config}/aerolune/<name>.conf, one group
// named after the suite.
//
// Writes go to a temporary file in the same folder, which is flushed to disk
// and renamed over the old file, so a reader sees the old or the new contents,
// never a mixture. When the file is a symbolic link (a dotfile tool's), the
// file at the end of its links is replaced that way and the links stay. A
// file that cannot be read or parsed is reported, not repaired: only a write
// replaces it.

#include "platform/core/Result.h"
#include "store/KeyFile.h"

#include <filesystem>
#include <string>

namespace aerolune {

class PreferenceSuite {
public:
    // Finds the folder, making it (mode 0700) where it is missing.
    static Result<PreferenceSuite> open(const std::string& name);

    const std::string& name() const { return name_; }
    const std::filesystem::path& file() const { return file_; }

    // The entries, none when the file does not exist yet; or why the file
    // cannot be used.
    Result<KeyFile::Entries> read() const;

    // Sets the given keys, keeping the other keys of a readable file; a
    // success once the file is on disk.
    Result<void> write(const KeyFile::Entries& changes) const;

private:
    PreferenceSuite(std::string name, std::filesystem::path file)
        : name_(std::move(name)), file_(std::move(file)) {}

    std::string name_;
    std::filesystem::path file_;
};

} // namespace aerolune
