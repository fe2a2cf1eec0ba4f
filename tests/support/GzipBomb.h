#pragma once

// A small gzip file that inflates to far more than it holds: one member with a
// mebibyte of zeros, repeated, since a gzip reader takes members one after
// another as a single stream. About a kilobyte on disk per mebibyte inflated.

#include <filesystem>
#include <fstream>
#include <string>
#include <zlib.h>

namespace aerolune::test {

inline void writeGzipBomb(const std::filesystem::path& path, std::size_t mebibytes) {
    std::string zeros(std::size_t(1) << 20, '\0');
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY); // +16: gzip
    std::string member(deflateBound(&stream, uLong(zeros.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(zeros.data());
    stream.avail_in = uInt(zeros.size());
    stream.next_out = reinterpret_cast<Bytef*>(member.data());
    stream.avail_out = uInt(member.size());
    deflate(&stream, Z_FINISH);
    member.resize(stream.total_out);
    deflateEnd(&stream);
    std::ofstream out(path, std::ios::binary);
    for (std::size_t i = 0; i < mebibytes; ++i)
        out << member;
}

} // namespace aerolune::test
