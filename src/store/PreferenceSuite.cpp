#include "store/PreferenceSuite.h"

#include "platform/core/AtomicFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace aerolune {
namespace {

namespace fs = std::filesystem;

// More than any settings file needs; a larger file is not ours.
constexpr std::size_t kMaximumSize = 64 * 1024;

std::string systemError(const fs::path& path, const char* what, int error) {
    return path.string() + " " + what + ": " + std::strerror(error);
}

// The base folder of user configuration. Relative paths are ignored, as the
// XDG base directory rules require.
std::optional<fs::path> configurationHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && fs::path(xdg).is_absolute())
        return fs::path(xdg);
    const char* home = std::getenv("HOME");
    if (home && fs::path(home).is_absolute())
        return fs::path(home) / ".config";
    return std::nullopt;
}

// mkdir -p, giving new folders mode 0700; the reason on failure.
std::optional<std::string> makeFolder(const fs::path& folder) {
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
        return folder.string() + " is not a folder";
    return std::nullopt;
}

// As many as the kernel follows before it gives up with ELOOP.
constexpr int kMaximumLinks = 40;

// Dotfile tools keep the settings file elsewhere and link it here, so a write
// replaces the file the links end at, never a link. The links may be relative
// to their own folders, and may end at a file that is not made yet: that is
// the file to make. Returns the reason when the links go round in a circle.
std::optional<std::string> followLinks(fs::path& path) {
    const fs::path start = path;
    for (int hop = 0; hop < kMaximumLinks; ++hop) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return std::nullopt;
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
std::optional<std::string> replace(const fs::path& file, const std::string& text) {
    AtomicFile replacement(file, 0600);
    replacement.write(text.data(), text.size());
    if (const auto error = replacement.commit())
        return systemError(file, "cannot be written", error.value());
    return std::nullopt;
}

} // namespace

PreferenceSuite::Opened PreferenceSuite::open(const std::string& name) {
    const auto home = configurationHome();
    if (!home)
        return {std::nullopt, "neither XDG_CONFIG_HOME nor HOME names an absolute folder"};
    const fs::path folder = *home / "aerolune";
    if (auto problem = makeFolder(folder))
        return {std::nullopt, *problem};
    return {PreferenceSuite(name, folder / (name + ".conf")), {}};
}

PreferenceSuite::Reading PreferenceSuite::read() const {
    const int fd = ::open(file_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return {};
        return {{}, systemError(file_, "cannot be read", errno)};
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return {{}, file_.string() + " is not a regular file"};
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
            return {{}, systemError(file_, "cannot be read", error)};
        }
        size += std::size_t(n);
        if (n == 0 || size == text.size())
            break;
    }
    ::close(fd);
    if (size > kMaximumSize)
        return {{}, file_.string() + " is larger than 64 KiB"};
    text.resize(size);
    auto parsed = KeyFile::parse(text, name_);
    if (parsed.problem)
        return {{}, file_.string() + ": " + *parsed.problem};
    return {std::move(parsed.entries), std::nullopt};
}

std::optional<std::string> PreferenceSuite::write(const KeyFile::Entries& changes) const {
    // A file that cannot be read is replaced as a whole: an explicit save wins.
    auto current = read();
    KeyFile::Entries entries = current.problem ? KeyFile::Entries{} : std::move(current.entries);
    for (const auto& [key, value] : changes)
        entries[key] = value;
    const std::string text = KeyFile::format(name_, entries);

    fs::path target = file_;
    if (auto problem = followLinks(target))
        return problem;
    return replace(target, text);
}

} // namespace aerolune
