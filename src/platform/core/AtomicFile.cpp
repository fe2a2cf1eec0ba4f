#include "platform/core/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <string>
#include <unistd.h>
#include <utility>

namespace aerolune {
namespace {

// A name no other writer is likely to pick; O_EXCL settles the rare clash.
std::filesystem::path temporaryNameFor(const std::filesystem::path& target) {
    std::random_device source;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(source()));
    return target.string() + suffix;
}

// Makes the rename itself survive a crash. The new file is in place either
// way, so a failure here is not one of the write.
void syncFolder(const std::filesystem::path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

AtomicFile::AtomicFile(std::filesystem::path target, mode_t mode) : target_(std::move(target)) {
    for (int attempt = 0; attempt < 16 && fd_ < 0; ++attempt) {
        temporary_ = temporaryNameFor(target_);
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd_ < 0 && errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        error_ = std::error_code(errno, std::generic_category());
        temporary_.clear();
    }
}

AtomicFile::~AtomicFile() {
    discard();
}

void AtomicFile::fail(int number) {
    if (!error_)
        error_ = std::error_code(number, std::generic_category());
    discard();
}

void AtomicFile::discard() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    temporary_.clear();
}

bool AtomicFile::write(const void* bytes, std::size_t size) {
    const auto* next = static_cast<const char*>(bytes);
    while (size > 0 && !error_) {
        const ssize_t n = ::write(fd_, next, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            fail(n < 0 ? errno : EIO);
            break;
        }
        next += n;
        size -= static_cast<std::size_t>(n);
    }
    return !error_;
}

std::error_code AtomicFile::commit() {
    if (error_)
        return error_;
    if (::fsync(fd_) != 0) {
        fail(errno);
        return error_;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 || ::rename(temporary_.c_str(), target_.c_str()) != 0) {
        fail(errno);
        return error_;
    }
    temporary_.clear();
    syncFolder(target_.parent_path());
    return {};
}

} // namespace aerolune
