#include "datafiles/CompressedFile.h"

#include "support/GzipBomb.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <unistd.h>
#include <zlib.h>

using namespace aerolune;

namespace {

// Each test runs in a process of its own, in parallel with the others.
std::filesystem::path temporary(const std::string& name) {
    return std::filesystem::path(testing::TempDir()) / (std::to_string(::getpid()) + "-" + name);
}

std::string compressed(const std::string& text) {
    const auto path = temporary("aerolune-compressed.gz");
    gzFile file = gzopen(path.c_str(), "wb9");
    gzwrite(file, text.data(), static_cast<unsigned>(text.size()));
    gzclose(file);
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::optional<std::string> readBack(const std::string& bytes, std::string& error,
                                    std::size_t limit = CompressedFile::defaultLimit) {
    const auto path = temporary("aerolune-read-back.gz");
    std::ofstream(path, std::ios::binary) << bytes;
    return CompressedFile::read(path, error, limit);
}

} // namespace

TEST(CompressedFileTest, ReadsWhatZlibWroteAndRefusesDamage) {
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "line " + std::to_string(i) + "\n";
    const auto good = compressed(text);
    std::string error;
    EXPECT_EQ(readBack(good, error), text);
    EXPECT_EQ(readBack(compressed(""), error), "");

    const std::pair<const char*, std::string> damaged[] = {
        {"cut short", good.substr(0, good.size() / 2)},
        {"trailer cut off", good.substr(0, good.size() - 4)},
        {"not compressed", text},
        // A trailer that claims 4 GiB must not make the reader set aside 4 GiB.
        {"lying trailer", good.substr(0, good.size() - 4) + "\xFF\xFF\xFF\xFF"},
    };
    for (const auto& [what, bytes] : damaged) {
        SCOPED_TRACE(what);
        error.clear();
        EXPECT_FALSE(readBack(bytes, error));
        EXPECT_FALSE(error.empty());
    }
    error.clear();
    EXPECT_FALSE(CompressedFile::read(temporary("no-such-file.gz"), error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
}

TEST(CompressedFileTest, RefusesToInflatePastItsLimit) {
    constexpr std::size_t limit = 100000;
    const std::string atLimit(limit, 'x');
    std::string error;
    EXPECT_EQ(readBack(compressed(atLimit), error, limit), atLimit) << error;
    EXPECT_FALSE(readBack(compressed(atLimit + "x"), error, limit));
    EXPECT_NE(error.find("inflates to more than 100000 bytes"), std::string::npos) << error;

    const auto bomb = temporary("aerolune-bomb.gz");
    test::writeGzipBomb(bomb, 100);
    ASSERT_LT(std::filesystem::file_size(bomb), 200000u);
    error.clear();
    EXPECT_FALSE(CompressedFile::read(bomb, error, 1 << 20));
    EXPECT_NE(error.find("more than"), std::string::npos) << error;
    std::filesystem::remove(bomb);
}
