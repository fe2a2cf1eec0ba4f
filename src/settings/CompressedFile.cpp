#include "settings/CompressedFile.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <zlib.h>

namespace aerolune {

namespace {

struct GzCloser {
    void operator()(gzFile file) const { gzclose(file); }
};

// The gzip trailer holds the uncompressed size modulo 2^32: a good first
// guess for the buffer, so the data is inflated without copying it again. A
// damaged file can claim anything, so a claim beyond what the compressed size
// makes plausible is not believed; the buffer then grows as data arrives.
std::size_t sizeHint(const std::filesystem::path& path) {
    std::FILE* raw = std::fopen(path.c_str(), "rb");
    if (!raw)
        return 0;
    unsigned char trailer[4] = {};
    std::size_t claimed = 0;
    long compressed = 0;
    if (std::fseek(raw, -4, SEEK_END) == 0 && std::fread(trailer, 1, 4, raw) == 4) {
        claimed = trailer[0] | trailer[1] << 8 | trailer[2] << 16 | std::size_t(trailer[3]) << 24;
        compressed = std::ftell(raw);
    }
    std::fclose(raw);
    const std::size_t plausible = std::size_t(std::max(compressed, 0L)) * 16;
    return claimed <= plausible ? claimed : plausible;
}

} // namespace

std::optional<std::string> CompressedFile::read(const std::filesystem::path& path,
                                                std::string& error) {
    std::unique_ptr<gzFile_s, GzCloser> file(gzopen(path.c_str(), "rb"));
    if (!file) {
        error = "cannot open " + path.string();
        return std::nullopt;
    }
    gzbuffer(file.get(), 1 << 17);
    std::string data(sizeHint(path) + 1, '\0');
    std::size_t used = 0;
    while (true) {
        if (used == data.size())
            data.resize(data.size() * 2 + (1 << 16));
        const auto chunk =
            static_cast<unsigned>(std::min<std::size_t>(data.size() - used, 1u << 30));
        const int got = gzread(file.get(), data.data() + used, chunk);
        if (got < 0) {
            int code = 0;
            error = path.string() + ": " + gzerror(file.get(), &code);
            return std::nullopt;
        }
        if (got == 0)
            break;
        used += static_cast<std::size_t>(got);
    }
    // zlib reads a file that is not compressed as it is, and reports a
    // stream cut short only through gzerror; both mean a damaged file here.
    int code = Z_OK;
    const char* message = gzerror(file.get(), &code);
    if (code != Z_OK) {
        error = path.string() + ": " + message;
        return std::nullopt;
    }
    if (gzdirect(file.get())) {
        error = path.string() + ": not gzip-compressed";
        return std::nullopt;
    }
    data.resize(used);
    return data;
}

} // namespace aerolune
