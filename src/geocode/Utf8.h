#pragma once

// Reading UTF-8 text one code point at a time, for the matcher that folds
// place names. Text from the user is checked before it is searched, so the
// rest of the geocoder may assume it is well formed.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace aerolune {

struct Utf8 {
    struct Decoded {
        char32_t codePoint;
        std::size_t length; // bytes taken from the text
    };

    // The code point at the start of text, or none when the bytes there are
    // not well-formed UTF-8 (overlong forms, surrogates and values above
    // U+10FFFF included).
    static std::optional<Decoded> decode(std::string_view text);

    static bool isValid(std::string_view text);

    // Number of code points; text must be valid.
    static std::size_t length(std::string_view text);

    static void append(std::string& out, char32_t codePoint);
};

} // namespace aerolune
