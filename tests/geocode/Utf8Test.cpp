#include "geocode/Utf8.h"

#include <gtest/gtest.h>

using namespace aerolune;

TEST(Utf8Test, DecodesEachLengthAtItsBoundaries) {
    const struct {
        std::string text;
        char32_t codePoint;
        std::size_t length;
    } cases[] = {
        {"A", U'A', 1},
        {"\x7F", 0x7F, 1},
        {"\xC2\x80", 0x80, 2},
        {"\xC3\xB8", U'ø', 2},
        {"\xDF\xBF", 0x7FF, 2},
        {"\xE0\xA0\x80", 0x800, 3},
        {"\xE2\x80\x9C", U'“', 3},
        {"\xEF\xBF\xBF", 0xFFFF, 3},
        {"\xF0\x90\x80\x80", 0x10000, 4},
        {"\xF4\x8F\xBF\xBF", 0x10FFFF, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<unsigned>(c.codePoint));
        const auto decoded = Utf8::decode(c.text);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->codePoint, c.codePoint);
        EXPECT_EQ(decoded->length, c.length);
        std::string encoded;
        Utf8::append(encoded, c.codePoint);
        EXPECT_EQ(encoded, c.text);
    }
}

TEST(Utf8Test, RefusesMalformedBytes) {
    const std::string malformed[] = {
        std::string("\x80"),             // a continuation byte alone
        std::string("\xC3"),             // cut short
        std::string("\xC3("),            // continuation missing
        std::string("\xC0\xAF"),         // overlong "/"
        std::string("\xE0\x9F\xBF"),     // overlong below U+0800
        std::string("\xED\xA0\x80"),     // a surrogate
        std::string("\xF4\x90\x80\x80"), // above U+10FFFF
        std::string("\xF8\x88\x80\x80\x80"),
        std::string("\xFF"),
    };
    for (const auto& text : malformed) {
        SCOPED_TRACE(testing::PrintToString(text));
        EXPECT_FALSE(Utf8::decode(text));
        EXPECT_FALSE(Utf8::isValid("ok " + text));
    }
    EXPECT_TRUE(Utf8::isValid("S\xC3\xA3o Paulo, \xE5\x8C\x97\xE4\xBA\xAC"));
    EXPECT_TRUE(Utf8::isValid(""));
}

TEST(Utf8Test, LengthCountsCodePointsNotBytes) {
    EXPECT_EQ(Utf8::length(""), 0u);
    EXPECT_EQ(Utf8::length("Troms\xC3\xB8"), 6u);
    EXPECT_EQ(Utf8::length("\xF0\x9F\x8C\x85!"), 2u);
}
