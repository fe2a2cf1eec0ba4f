// A gzip data file, damaged or hostile, read from disk as the programs read
// their data. What it inflates to is not checked here (the other fuzz targets
// read such bytes); a read must end, refuse with a reason or succeed, and
// leak nothing either way.

#include "datafiles/CompressedFile.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace aerolune;

namespace {

std::filesystem::path file;

const std::filesystem::path& scratchFile() {
    if (file.empty()) {
        std::string name = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        name += "/aerolune-fuzz-XXXXXX.gz";
        const int fd = mkstemps(name.data(), 3);
        if (fd < 0)
            std::abort();
        close(fd);
        file = name;
        std::atexit([] { std::filesystem::remove(file); });
    }
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::ofstream(scratchFile(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    const auto bytes = CompressedFile::read(scratchFile());
    if (!bytes && bytes.error().message.empty())
        std::abort();
    return 0;
}
