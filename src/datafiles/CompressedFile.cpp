#include "datafiles/CompressedFile.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
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

// zlib reads a file that is not compressed as it is, and reports a stream cut
// short only through gzerror; both mean a damaged file here.
std::optional<std::string> damaged(gzFile file) {
    int code = Z_OK;
    const char* message = gzerror(file, &code);
    if (code != Z_OK)
        return message;
    if (gzdirect(file))
        return "not gzip-compressed";
    return std::nullopt;
}

// Inflates into `data` until the stream ends or passes `limit`, and returns
// how many bytes came: limit + 1 means more than the limit, found without
// inflating any further. None on an error of zlib's.
std::optional<std::size_t> inflate(gzFile file, std::string& data, std::size_t limit) {
    std::size_t used = 0;
    while (used <= limit) {
        if (used == data.size())
            data.resize(used + std::min(used + (1 << 16), limit + 1 - used));
        const auto chunk =
            static_cast<unsigned>(std::min<std::size_t>(data.size() - used, 1u << 30));
        const int got = gzread(file, data.data() + used, chunk);
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        used += static_cast<std::size_t>(got);
    }
    return used;
}

} // namespace

std::optional<std::string> CompressedFile::read(const std::filesystem::path& path,
                                                std::string& error, std::size_t limit) {
    std::unique_ptr<gzFile_s, GzCloser> file(gzopen(path.c_str(), "rb"));
    if (!file) {
        error = "cannot open " + path.string();
        return std::nullopt;
    }
    gzbuffer(file.get(), 1 << 17);
    limit = std::min(limit, std::string().max_size() - 1);
    std::string data(std::min(sizeHint(path), limit) + 1, '\0');
    const auto used = inflate(file.get(), data, limit);
    if (auto damage = damaged(file.get()); damage || !used) {
        error = path.string() + ": " + damage.value_or("cannot be inflated");
        return std::nullopt;
    }
    if (*used > limit) {
        error = path.string() + ": inflates to more than " + std::to_string(limit) +
                " bytes; refused as damaged";
        return std::nullopt;
    }
    data.resize(*used);
    return data;
}

} // namespace aerolune
