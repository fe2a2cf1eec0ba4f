#include "datafiles/CompressedFile.h"

#include <algorithm>
#include <cstdio>
#include <memory>
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
Result<void> undamaged(gzFile file) {
    int code = Z_OK;
    const char* message = gzerror(file, &code);
    if (code != Z_OK)
        return failure(message);
    if (gzdirect(file))
        return failure("not gzip-compressed");
    return {};
}

// Inflates into `data` until the stream ends or passes `limit`, and returns
// how many bytes came: limit + 1 means more than the limit, found without
// inflating any further.
Result<std::size_t> inflate(gzFile file, std::string& data, std::size_t limit) {
    std::size_t used = 0;
    while (used <= limit) {
        if (used == data.size())
            data.resize(used + std::min(used + (1 << 16), limit + 1 - used));
        const auto chunk =
            static_cast<unsigned>(std::min<std::size_t>(data.size() - used, 1u << 30));
        const int got = gzread(file, data.data() + used, chunk);
        if (got < 0)
            return failure("cannot be inflated");
        if (got == 0)
            break;
        used += static_cast<std::size_t>(got);
    }
    return used;
}

} // namespace

Result<std::string> CompressedFile::read(const std::filesystem::path& path, std::size_t limit) {
    std::unique_ptr<gzFile_s, GzCloser> file(gzopen(path.c_str(), "rb"));
    if (!file)
        return failure("cannot open " + path.string());
    gzbuffer(file.get(), 1 << 17);
    limit = std::min(limit, std::string().max_size() - 1);
    std::string data(std::min(sizeHint(path), limit) + 1, '\0');
    const auto used = inflate(file.get(), data, limit);
    // zlib's own account of the damage says more than the failed read.
    if (auto whole = undamaged(file.get()); !whole)
        return failure(path.string() + ": " + whole.error().message);
    if (!used)
        return failure(path.string() + ": " + used.error().message);
    if (*used > limit)
        return failure(path.string() + ": inflates to more than " + std::to_string(limit) +
                       " bytes; refused as damaged");
    data.resize(*used);
    return data;
}

} // namespace aerolune
