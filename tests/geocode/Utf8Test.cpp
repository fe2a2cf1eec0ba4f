#include "geocode/Utf8.h"

#include <gtest/gtest.h>

using namespace aerolune;

TEST(Utf8Test, DecodesEachLengthAtItsBoundariesAndEncodesBack) {
    // clang-format off
    const struct {
        std::string text;
        char32_t codePoint;
    } cases[] = {
        {"A", U'A'}, {"\x7F", 0x7F}, {"\xC2\x80", 0x80}, {"\xDF\xBF", 0x7FF},
        {"\xE0\xA0\x80", 0x800}, {"\xEF\xBF\xBF", 0xFFFF}, {"\xF0\x90\x80\x80", 0x10000},
        {"\xF4\x8F\xBF\xBF", 0x10FFFF},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<unsigned>(c.codePoint));
        const auto decoded = Utf8::decode(c.text + "tail");
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->codePoint, c.codePoint);
        EXPECT_EQ(decoded->length, c.text.size());
        std::string encoded;
        Utf8::append(encoded, c.codePoint);
        EXPECT_EQ(encoded, c.text);
    }
    EXPECT_EQ(Utf8::length("Troms\xC3\xB8 \xF0\x9F\x8C\x85"), 8u);
}

TEST(Utf8Test, RefusesMalformedBytes) {
    for (const std::string text : {
             "\x80",             // a continuation byte alone
             "\xC3",             // cut short
             "\xC3(",            // continuation missing
             "\xC0\xAF",         // overlong "/"
             "\xE0\x9F\xBF",     // overlong below U+0800
             "\xED\xA0\x80",     // a surrogate
             "\xF4\x90\x80\x80", // above U+10FFFF
             "\xF8\x88\x80\x80\x80",
         }) {
        SCOPED_TRACE(testing::PrintToString(text));
        EXPECT_FALSE(Utf8::decode(text));
        EXPECT_FALSE(Utf8::isValid("ok " + text));
    }
    EXPECT_TRUE(Utf8::isValid("S\xC3\xA3o Paulo, \xE5\x8C\x97\xE4\xBA\xAC"));
}
