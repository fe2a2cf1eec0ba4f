#include "store/KeyFile.h"

#include <gtest/gtest.h>

using aerolune::KeyFile;

TEST(KeyFileTest, ReadsOneGroupAndRefusesWhatIsNotAKeyFile) {
    const auto parsed = KeyFile::parse(
        "# by hand\r\n\n[Other]\na=1\n[ Suite ]\r\n  a =  48.5 \n; note\nb=2\nb=2.25", "Suite");
    EXPECT_FALSE(parsed.problem);
    EXPECT_EQ(parsed.entries, (KeyFile::Entries{{"a", "48.5"}, {"b", "2.25"}}));
    const KeyFile::Entries entries{{"b", "-33.5"}, {"a", "1e-300"}};
    EXPECT_EQ(KeyFile::format("Suite", entries), "[Suite]\na=1e-300\nb=-33.5\n");
    EXPECT_EQ(KeyFile::parse(KeyFile::format("Suite", entries), "Suite").entries, entries);
    for (const auto& [text, line] : {std::pair{"[Suite]\nlat 48.5\n", "line 2 "},
                                     {"key=value\n[Suite]\n", "line 1 "},
                                     {"[Suite]\n=48.5\n", "line 2 "},
                                     {"[Suite]\nok=1\n[]\n", "line 3 "}}) {
        const auto refused = KeyFile::parse(text, "Suite");
        EXPECT_EQ(refused.problem.value_or("").rfind(line, 0), 0u) << text;
        EXPECT_TRUE(refused.entries.empty());
    }
}
