#include "datafiles/CompressedFile.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <unistd.h>
#include <zlib.h>

using namespace aerolune;

// Unique to this process: ctest runs tests in parallel processes.
const std::filesystem::path kFile =
    std::filesystem::path(testing::TempDir()) / ("aerolune-" + std::to_string(::getpid()) + ".gz");

static std::string compressed(const std::string& text) {
    gzFile file = gzopen(kFile.c_str(), "wb9");
    gzwrite(file, text.data(), static_cast<unsigned>(text.size()));
    gzclose(file);
    std::ifstream in(kFile, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

static std::string readBack(const std::string& bytes,
                            std::size_t limit = CompressedFile::defaultLimit) {
    std::ofstream(kFile, std::ios::binary) << bytes;
    const auto read = CompressedFile::read(kFile, limit);
    std::filesystem::remove(kFile);
    return read ? *read : "refused: " + read.error().message;
}

// A file made to inflate without end is GazetteerTest's.
TEST(CompressedFileTest, ReadsWhatZlibWroteUpToItsLimitAndRefusesDamage) {
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "line " + std::to_string(i) + "\n";
    const auto good = compressed(text);
    EXPECT_EQ(readBack(good), text);
    EXPECT_EQ(readBack(good, text.size()), text);
    EXPECT_TRUE(readBack(good, text.size() - 1)
                    .starts_with("refused: " + kFile.string() + ": inflates to more than"));
    // A trailer that claims 4 GiB must not make the reader set aside 4 GiB.
    for (const auto& bytes : {good.substr(0, good.size() / 2), good.substr(0, good.size() - 4),
                              text, good.substr(0, good.size() - 4) + "\xFF\xFF\xFF\xFF"})
        EXPECT_EQ(readBack(bytes).rfind("refused: " + kFile.string() + ": ", 0), 0u);
    EXPECT_EQ(readBack(compressed("")), "");
    EXPECT_EQ(CompressedFile::read(kFile).error().message, "cannot open " + kFile.string());
}
