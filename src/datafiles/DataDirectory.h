#pragma once

// Where the files that ship with the program (gazetteer, shorelines) are
// found at run time, in this order:
//   1. the folder named by AEROLUNE_DATA_DIR;
//   2. share/aerolune beside the running program's own install folder
//      (<prefix>/libexec/xscreensaver/../../share/aerolune for the saver,
//      <prefix>/bin/../share/aerolune for the settings program), so that a
//      tree installed under any prefix, or unpacked from the package
//      anywhere, uses its own data;
//   3. the install folder compiled in (<prefix>/share/aerolune);
//   4. the source tree's data/ folder, only for a program that runs from the
//      build tree, so that a build runs without being installed while an
//      installed program never reads the tree it was built from.

#include "platform/core/Result.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace aerolune {

struct DataDirectory {
    // The search path of the running program.
    static std::vector<std::filesystem::path> searchPath();

    // The search path of a program whose executable is at `executable`; an
    // empty path (the executable cannot be told) keeps every fallback.
    static std::vector<std::filesystem::path> searchPath(const std::filesystem::path& executable);

    // The first folder of the running program's search path that holds fileName.
    static std::optional<std::filesystem::path> find(std::string_view fileName);

    // Where the running program's message catalogues are
    // (<folder>/<language>/LC_MESSAGES/aerolune.mo), found as the data files
    // are: share/locale beside the program's install folder, the install
    // folder compiled in, or the build tree's for a program run from it.
    // Empty when none holds a catalogue.
    static std::filesystem::path localeFolder();
    static std::filesystem::path localeFolder(const std::filesystem::path& executable);

    // The first of `folders` that holds fileName.
    static std::optional<std::filesystem::path>
    find(std::string_view fileName, const std::vector<std::filesystem::path>& folders);
};

// `Data`'s installed file (Data::fileName), read with Data::load once for the
// whole process. Never destroyed: a lookup thread may still be using it at exit.
template <class Data> const Result<typename Data::Shared>& loadInstalledOnce() {
    using Loaded = Result<typename Data::Shared>;
    static const auto* instance = new Loaded([]() -> Loaded {
        const auto path = DataDirectory::find(Data::fileName);
        if (!path)
            return failure(std::string(Data::fileName) + " is not installed");
        return Data::load(*path);
    }());
    return *instance;
}

} // namespace aerolune
