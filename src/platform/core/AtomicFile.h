#pragma once

// Replaces a file as a whole or not at all. The new contents go to a
// temporary file in the target's folder (a rename is atomic only within one
// file system), are flushed to the disc and renamed over the target, so a
// reader, or the disc after a crash, sees the old contents or the new, never a
// part. Whatever fails on the way (a full disc, a missing folder, a target
// that is a folder), the temporary file is removed and the target is left as
// it was.
//
//   AtomicFile file(path);
//   file.write(bytes, size);          // as often as needed
//   if (const auto error = file.commit()) ...
//
// The new file gets `mode` less the umask, as a file opened the usual way does.

#include <cstddef>
#include <filesystem>
#include <sys/types.h>
#include <system_error>

namespace aerolune {

class AtomicFile {
public:
    explicit AtomicFile(std::filesystem::path target, mode_t mode = 0666);
    // Removes the temporary file unless it was committed.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Adds to the new contents; false once anything has failed.
    bool write(const void* bytes, std::size_t size);
    // The first failure so far, if any.
    std::error_code error() const { return error_; }
    // Flushes the new contents and puts them in the target's place; the first
    // failure if that, or anything before it, failed.
    std::error_code commit();

private:
    void fail(int number);
    void discard();

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    int fd_ = -1;
    std::error_code error_;
};

} // namespace aerolune
