#include "store/PreferenceSuite.h"

#include "platform/core/AtomicFile.h"
#include "platform/core/XdgFolder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace aerolune {
namespace {

namespace fs = std::filesystem;

// More than any settings file needs; a larger file is not ours.
constexpr std::size_t kMaximumSize = 64 * 1024;

Error systemError(const fs::path& path, const char* what, int error) {
    return failure(path.string() + " " + what + ": " + std::strerror(error));
}

// mkdir -p, giving new folders mode 0700.
Result<void> makeFolder(const fs::path& folder) {
    fs::path partial;
    for (const auto& part : folder) {
        partial /= part;
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
            return systemError(partial, "cannot be made", errno);
    }
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0)
        return systemError(folder, "cannot be found", errno);
    if (!S_ISDIR(info.st_mode))
        return failure(folder.string() + " is not a folder");
    return {};
}

// As many as the kernel follows before it gives up with ELOOP.
constexpr int kMaximumLinks = 40;

// Dotfile tools keep the settings file elsewhere and link it here, so a write
// replaces the file the links end at, never a link. The links may be relative
// to their own folders, and may end at a file that is not made yet: that is
// the file to make. Fails when the links go round in a circle.
Result<fs::path> followLinks(const fs::path& start) {
    fs::path path = start;
    for (int hop = 0; hop < kMaximumLinks; ++hop) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        std::error_code error;
        const auto target = fs::read_symlink(path, error);
        if (error)
            return systemError(path, "cannot be followed", error.value());
        path = path.parent_path() / target;
    }
    return systemError(start, "cannot be written", ELOOP);
}

// A reader sees the old text or the new, never a mixture. The file holds a
// place, which is the user's own business: only they may read it.
Result<void> replace(const fs::path& file, const std::string& text) {
    AtomicFile replacement(file, 0600);
    replacement.write(text.data(), text.size());
    if (const auto error = replacement.commit())
        return systemError(file, "cannot be written", error.value());
    return {};
}

} // namespace

Result<PreferenceSuite> PreferenceSuite::open(const std::string& name) {
    const auto home = XdgFolder::configHome();
    if (!home)
        return failure("neither XDG_CONFIG_HOME nor HOME names an absolute folder");
    const fs::path folder = *home / "aerolune";
    if (auto made = makeFolder(folder); !made)
        return made.error();
    return PreferenceSuite(name, folder / (name + ".conf"));
}

Result<KeyFile::Entries> PreferenceSuite::read() const {
    // Without O_NONBLOCK a FIFO put where the file belongs would hold the
    // open until some writer came; it is refused just below, like a device.
    const int fd = ::open(file_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT)
            return KeyFile::Entries{};
        return systemError(file_, "cannot be read", errno);
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return failure(file_.string() + " is not a regular file");
    }
    std::string text(kMaximumSize + 1, '\0');
    std::size_t size = 0;
    for (;;) {
        const ssize_t n = ::read(fd, text.data() + size, text.size() - size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return systemError(file_, "cannot be read", error);
        }
        size += std::size_t(n);
        if (n == 0 || size == text.size())
            break;
    }
    ::close(fd);
    if (size > kMaximumSize)
        return failure(file_.string() + " is larger than 64 KiB");
    text.resize(size);
    auto parsed = KeyFile::parse(text, name_);
    if (!parsed)
        return failure(file_.string() + ": " + parsed.error().message);
    return parsed;
}

Result<void> PreferenceSuite::write(const KeyFile::Entries& changes) const {
    // A file that cannot be read is replaced as a whole: an explicit save wins.
    KeyFile::Entries entries = read().valueOr({});
    for (const auto& [key, value] : changes)
        entries[key] = value;
    const auto target = followLinks(file_);
    if (!target)
        return target.error();
    return replace(*target, KeyFile::format(name_, entries));
}

} // namespace aerolune
