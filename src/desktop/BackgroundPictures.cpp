#include "desktop/BackgroundPictures.h"

#include "platform/core/AtomicFile.h"
#include "platform/core/XdgFolder.h"
#include "platform/core/Localization.h"
#include "store/KeyFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string_view>
#include <sstream>
#include <sys/stat.h>

namespace aerolune {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view group = "Previous background";
constexpr std::string_view desktopKey = "aerolune.desktop";

// sky-YYYYMMDDTHHMMSSZ-N.png, as nameFor() makes them, and nothing else.
bool isPictureName(std::string_view name) {
    const auto digits = [&name](std::size_t count) {
        std::size_t n = 0;
        while (n < name.size() && n < count && name[n] >= '0' && name[n] <= '9')
            ++n;
        const bool enough = n > 0 && (count == std::string_view::npos || n == count);
        name.remove_prefix(n);
        return enough;
    };
    const auto literal = [&name](std::string_view text) {
        const bool found = name.starts_with(text);
        if (found)
            name.remove_prefix(text.size());
        return found;
    };
    return literal("sky-") && digits(8) && literal("T") && digits(6) && literal("Z-") &&
           digits(std::string_view::npos) && name == ".png";
}

} // namespace

Result<BackgroundPictures> BackgroundPictures::open() {
    const auto home = XdgFolder::cacheHome();
    if (!home)
        return failure(tr("neither XDG_CACHE_HOME nor HOME names an absolute folder"));
    return open(*home / "aerolune");
}

Result<BackgroundPictures> BackgroundPictures::open(const fs::path& folder) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (!error)
        fs::permissions(folder, fs::perms::owner_all, error);
    if (error || !fs::is_directory(folder))
        return failure(Localization::format(
            tr("%s cannot be made: %s"),
            {folder.string(), error ? error.message() : tr("it is not a folder")}));
    return BackgroundPictures(folder);
}

fs::path BackgroundPictures::nameFor(TimePoint moment) const {
    const std::time_t seconds = static_cast<std::time_t>(moment);
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc);
    for (int number = 1;; ++number) {
        const fs::path name =
            folder_ / ("sky-" + std::string(stamp) + "-" + std::to_string(number) + ".png");
        std::error_code error;
        if (!fs::exists(name, error))
            return name;
    }
}

std::vector<fs::path> BackgroundPictures::pictures() const {
    std::vector<fs::path> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder_, error))
        if (isPictureName(entry.path().filename().string()) &&
            entry.is_regular_file(error))
            found.push_back(entry.path());
    // The stamp orders them, and the number within one second.
    std::sort(found.begin(), found.end(), [](const fs::path& a, const fs::path& b) {
        const std::string x = a.filename().string(), y = b.filename().string();
        return x.size() != y.size() ? x.size() < y.size() : x < y;
    });
    return found;
}

bool BackgroundPictures::isPicture(std::string_view path) const {
    return path.find((folder_ / "sky-").string()) != std::string_view::npos;
}

void BackgroundPictures::keepOnly(const fs::path& showing) const {
    for (const fs::path& picture : pictures())
        if (picture != showing) {
            std::error_code error;
            fs::remove(picture, error);
        }
}

std::optional<std::pair<std::string, DesktopBackground::Setting>>
BackgroundPictures::saved() const {
    std::ifstream file(savedFile());
    if (!file)
        return std::nullopt;
    std::ostringstream text;
    text << file.rdbuf();
    auto entries = KeyFile::parse(text.str(), group);
    if (!entries)
        return std::nullopt;
    const auto desktop = entries->find(desktopKey);
    if (desktop == entries->end())
        return std::nullopt;
    std::string name = desktop->second;
    entries->erase(desktop);
    DesktopBackground::Setting setting(entries->begin(), entries->end());
    return std::pair(std::move(name), std::move(setting));
}

Result<void> BackgroundPictures::save(const std::string& desktop,
                                      const DesktopBackground::Setting& setting) const {
    KeyFile::Entries entries(setting.begin(), setting.end());
    entries[std::string(desktopKey)] = desktop;
    const std::string text = KeyFile::format(group, entries);
    AtomicFile file(savedFile(), 0600);
    file.write(text.data(), text.size());
    if (const auto error = file.commit())
        return failure(Localization::format(tr("cannot write %s: %s"),
                                            {savedFile().string(), error.message()}));
    return {};
}

void BackgroundPictures::forget() const {
    std::error_code error;
    fs::remove(savedFile(), error);
}

} // namespace aerolune
