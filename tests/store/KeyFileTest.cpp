#include "store/KeyFile.h"

#include <gtest/gtest.h>

using aerolune::KeyFile;

TEST(KeyFileTest, ReadsOneGroupAndRefusesWhatIsNotAKeyFile) {
    const auto parsed = KeyFile::parse(
        "# by hand\r\n\n[Other]\na=1\n[ Suite ]\r\n  a =  48.5 \n; note\nb=2\nb=2.25", "Suite");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, (KeyFile::Entries{{"a", "48.5"}, {"b", "2.25"}}));
    const KeyFile::Entries entries{{"b", "-33.5"}, {"a", "1e-300"}};
    EXPECT_EQ(KeyFile::parse(KeyFile::format("Suite", entries), "Suite").valueOr({}), entries);
    for (const auto& [text, line] : {std::pair{"[Suite]\nlat 48.5\n", "line 2 "},
                                     {"key=value\n[Suite]\n", "line 1 "},
                                     {"[Suite]\n=48.5\n", "line 2 "},
                                     {"[Suite]\nok=1\n[]\n", "line 3 "}}) {
        SCOPED_TRACE(text);
        const auto refused = KeyFile::parse(text, "Suite");
        ASSERT_FALSE(refused);
        EXPECT_EQ(refused.error().message.rfind(line, 0), 0u) << refused.error().message;
    }
}
