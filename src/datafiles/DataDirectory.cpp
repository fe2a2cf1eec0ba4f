#include "datafiles/DataDirectory.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

namespace aerolune {

namespace {

namespace fs = std::filesystem;

// Where the data folder lies from each folder a program of ours is installed
// in, as the build lays them out (bin/ and libexec/xscreensaver/).
constexpr std::string_view kDataFromProgramFolders[] = {
    AEROLUNE_DATA_DIR_FROM_BIN,
    AEROLUNE_DATA_DIR_FROM_HACKS,
};
constexpr std::string_view kLocaleFromProgramFolders[] = {
    AEROLUNE_LOCALE_DIR_FROM_BIN,
    AEROLUNE_LOCALE_DIR_FROM_HACKS,
};

fs::path withoutTrailingSeparator(fs::path folder) {
    folder = folder.lexically_normal();
    if (!folder.has_filename() && folder.has_relative_path())
        folder = folder.parent_path();
    return folder;
}

// Whole components compared, so that build-asan/ is not inside build/.
bool isInside(const fs::path& file, const fs::path& folder) {
    const auto normalFile = file.lexically_normal();
    const auto normalFolder = withoutTrailingSeparator(folder);
    const auto [folderEnd, fileAt] = std::mismatch(normalFolder.begin(), normalFolder.end(),
                                                   normalFile.begin(), normalFile.end());
    return folderEnd == normalFolder.end() && fileAt != normalFile.end();
}

bool runsFromBuildTree(const fs::path& executable) {
    if (executable.empty())
        return true;
    std::error_code error;
    auto buildTree = fs::weakly_canonical(AEROLUNE_BUILD_DIR, error);
    if (error)
        buildTree = AEROLUNE_BUILD_DIR;
    return isInside(executable, buildTree);
}

void appendOnce(std::vector<fs::path>& folders, fs::path folder) {
    folder = withoutTrailingSeparator(folder);
    if (std::find(folders.begin(), folders.end(), folder) == folders.end())
        folders.push_back(std::move(folder));
}

// Whether `folder` holds a catalogue of ours in any language.
bool holdsCatalogues(const fs::path& folder) {
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        std::error_code missing;
        if (fs::is_regular_file(entry->path() / "LC_MESSAGES" / "aerolune.mo", missing))
            return true;
    }
    return false;
}

fs::path runningExecutable() {
    std::error_code error;
    auto executable = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : executable;
}

} // namespace

std::vector<fs::path> DataDirectory::searchPath() {
    return searchPath(runningExecutable());
}

std::vector<fs::path> DataDirectory::searchPath(const fs::path& executable) {
    std::vector<fs::path> folders;
    if (const char* override = std::getenv("AEROLUNE_DATA_DIR"); override && *override)
        appendOnce(folders, override);
    if (executable.has_parent_path()) {
        for (const auto relative : kDataFromProgramFolders)
            appendOnce(folders, executable.parent_path() / relative);
    }
    appendOnce(folders, AEROLUNE_INSTALL_DATA_DIR);
    if (runsFromBuildTree(executable))
        appendOnce(folders, AEROLUNE_SOURCE_DATA_DIR);
    return folders;
}

fs::path DataDirectory::localeFolder() {
    return localeFolder(runningExecutable());
}

fs::path DataDirectory::localeFolder(const fs::path& executable) {
    std::vector<fs::path> folders;
    if (executable.has_parent_path()) {
        for (const auto relative : kLocaleFromProgramFolders)
            appendOnce(folders, executable.parent_path() / relative);
    }
    appendOnce(folders, AEROLUNE_INSTALL_LOCALE_DIR);
    if (runsFromBuildTree(executable))
        appendOnce(folders, AEROLUNE_BUILD_LOCALE_DIR);
    for (const auto& folder : folders) {
        if (holdsCatalogues(folder))
            return folder;
    }
    return {};
}

std::optional<fs::path> DataDirectory::find(std::string_view fileName) {
    return find(fileName, searchPath());
}

std::optional<fs::path> DataDirectory::find(std::string_view fileName,
                                            const std::vector<fs::path>& folders) {
    for (const auto& folder : folders) {
        std::error_code error;
        const auto candidate = folder / fileName;
        if (fs::is_regular_file(candidate, error))
            return candidate;
    }
    return std::nullopt;
}

} // namespace aerolune
