#include "settings/KeyFile.h"

#include <gtest/gtest.h>

using aerolune::KeyFile;

TEST(KeyFileTest, ReadsTheKeysOfOneGroup) {
    const auto parsed = KeyFile::parse("# written by hand\r\n"
                                       "\n"
                                       "[Other]\n"
                                       "coordinates.lat=1\n"
                                       "[ Suite ]\r\n"
                                       "  coordinates.lat =  48.5 \n"
                                       "; a comment\n"
                                       "coordinates.lon=2\n"
                                       "coordinates.lon=2.25",
                                       "Suite");
    EXPECT_FALSE(parsed.problem);
    EXPECT_EQ(parsed.entries,
              (KeyFile::Entries{{"coordinates.lat", "48.5"}, {"coordinates.lon", "2.25"}}));
    EXPECT_TRUE(KeyFile::parse("", "Suite").entries.empty());
    EXPECT_FALSE(KeyFile::parse("", "Suite").problem);
}

TEST(KeyFileTest, RefusesTextThatIsNotAKeyFile) {
    for (const auto& [text, line] :
         {std::pair{"[Suite]\nlat 48.5\n", 2}, std::pair{"key=value\n[Suite]\n", 1},
          std::pair{"[Suite]\n=48.5\n", 2}, std::pair{"[Suite]\nok=1\n[]\n", 3},
          std::pair{"\x7f"
                    "ELF\x02\x01",
                    1}}) {
        SCOPED_TRACE(text);
        const auto parsed = KeyFile::parse(text, "Suite");
        ASSERT_TRUE(parsed.problem);
        EXPECT_EQ(parsed.problem->rfind("line " + std::to_string(line) + " is not", 0), 0u)
            << *parsed.problem;
        EXPECT_TRUE(parsed.entries.empty());
    }
}

TEST(KeyFileTest, FormattedTextParsesBackToTheSameEntries) {
    const KeyFile::Entries entries{{"b", "-33.5"}, {"a", "1e-300"}};
    const std::string text = KeyFile::format("Suite", entries);
    EXPECT_EQ(text, "[Suite]\na=1e-300\nb=-33.5\n");
    EXPECT_EQ(KeyFile::parse(text, "Suite").entries, entries);
}
