// The settings file as a damaged or hand-edited file may hold it, read from
// disk as the saver reads it. Whatever is read must survive a save: the keys
// of a readable file are kept, and the file written is readable again.

#include "store/PreferenceSuite.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace aerolune;

namespace {

constexpr const char* name = "AeroluneSaverPrefs";
std::filesystem::path home;

const PreferenceSuite& suite() {
    static const PreferenceSuite instance = [] {
        // Memory-backed where there is such a folder: every input is saved.
        std::string folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        folder += "/aerolune-fuzz-XXXXXX";
        if (!mkdtemp(folder.data()) || setenv("XDG_CONFIG_HOME", folder.c_str(), 1) != 0)
            std::abort();
        home = folder;
        std::atexit([] { std::filesystem::remove_all(home); });
        auto opened = PreferenceSuite::open(name);
        if (!opened)
            std::abort();
        return std::move(opened).value();
    }();
    return instance;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::ofstream(suite().file(), std::ios::binary | std::ios::trunc) << text;
    const auto parsed = KeyFile::parse(text, name);
    const auto read = suite().read();
    if (read.ok() != parsed.ok() || (read && *read != *parsed))
        std::abort();

    if (!suite().write({{"coordinates.lat", "48.85"}}))
        std::abort();
    auto expected = parsed.valueOr({});
    expected["coordinates.lat"] = "48.85";
    const auto saved = suite().read();
    if (!saved || *saved != expected)
        std::abort();
    return 0;
}
