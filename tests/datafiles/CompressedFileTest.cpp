#include "datafiles/CompressedFile.h"

#include "support/GzipBomb.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <unistd.h>

using namespace aerolune;

namespace {

// Unique to this process: ctest runs tests in parallel processes.
const std::filesystem::path kFile =
    std::filesystem::path(testing::TempDir()) / ("aerolune-" + std::to_string(::getpid()) + ".gz");

std::string compressed(const std::string& text) {
    gzFile file = gzopen(kFile.c_str(), "wb9");
    gzwrite(file, text.data(), static_cast<unsigned>(text.size()));
    gzclose(file);
    std::ifstream in(kFile, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

Result<std::string> readBack(const std::string& bytes,
                             std::size_t limit = CompressedFile::defaultLimit) {
    std::ofstream(kFile, std::ios::binary) << bytes;
    return CompressedFile::read(kFile, limit);
}

std::string problem(const Result<std::string>& read) {
    return read ? "read " + std::to_string(read->size()) + " bytes" : read.error().message;
}

} // namespace

TEST(CompressedFileTest, ReadsWhatZlibWroteAndRefusesDamage) {
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "line " + std::to_string(i) + "\n";
    const auto good = compressed(text);
    EXPECT_EQ(readBack(good).valueOr("refused"), text);
    EXPECT_EQ(readBack(compressed("")).valueOr("refused"), "");
    for (const auto& [what, bytes] : {
             std::pair{"cut short", good.substr(0, good.size() / 2)},
             {"trailer cut off", good.substr(0, good.size() - 4)},
             {"not compressed", text},
             // A trailer that claims 4 GiB must not make the reader set aside 4 GiB.
             {"lying trailer", good.substr(0, good.size() - 4) + "\xFF\xFF\xFF\xFF"},
         }) {
        EXPECT_NE(problem(readBack(bytes)).find(kFile.string() + ": "), std::string::npos) << what;
    }
    std::filesystem::remove(kFile);
    EXPECT_EQ(problem(CompressedFile::read(kFile)), "cannot open " + kFile.string());
}

TEST(CompressedFileTest, RefusesToInflatePastItsLimit) {
    constexpr std::size_t limit = 100000;
    const std::string atLimit(limit, 'x');
    EXPECT_EQ(readBack(compressed(atLimit), limit).valueOr("refused"), atLimit);
    EXPECT_NE(problem(readBack(compressed(atLimit + "x"), limit))
                  .find("inflates to more than 100000 bytes"),
              std::string::npos);
    // A kilobyte per mebibyte inflated, and members without end.
    test::writeGzipBomb(kFile, 100);
    EXPECT_NE(problem(CompressedFile::read(kFile, 1 << 20)).find("more than"), std::string::npos);
    std::filesystem::remove(kFile);
}
