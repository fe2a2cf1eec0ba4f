#include "geocode/NameFolding.h"

#include "geocode/Utf8.h"

#include <algorithm>
#include <iterator>

namespace aerolune {

namespace {

struct FoldingEntry {
    char32_t codePoint;
    const char* folded;
};

constexpr FoldingEntry foldingTable[] = {
#include "geocode/FoldingTable.inc"
};

static_assert(std::is_sorted(std::begin(foldingTable), std::end(foldingTable),
                             [](const FoldingEntry& a, const FoldingEntry& b) {
                                 return a.codePoint < b.codePoint;
                             }));

const char* tableEntry(char32_t codePoint) {
    const auto found = std::lower_bound(
        std::begin(foldingTable), std::end(foldingTable), codePoint,
        [](const FoldingEntry& entry, char32_t value) { return entry.codePoint < value; });
    if (found == std::end(foldingTable) || found->codePoint != codePoint)
        return nullptr;
    return found->folded;
}

void foldAscii(std::string& out, char byte) {
    if (byte >= 'A' && byte <= 'Z')
        out += static_cast<char>(byte - 'A' + 'a');
    else if ((byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9'))
        out += byte;
    else if (byte != '\'' && byte != '.' && byte != '`')
        out += ' ';
}

// Collapses runs of the word-break space and trims both ends.
std::string collapseSpaces(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    bool pendingSpace = false;
    for (const char byte : text) {
        if (byte == ' ') {
            pendingSpace = !out.empty();
            continue;
        }
        if (pendingSpace)
            out += ' ';
        pendingSpace = false;
        out += byte;
    }
    return out;
}

} // namespace

std::string NameFolding::fold(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const auto decoded = Utf8::decode(text);
        if (!decoded) { // not expected: callers check the text first
            out += ' ';
            text.remove_prefix(1);
            continue;
        }
        if (decoded->codePoint < 0x80) {
            foldAscii(out, static_cast<char>(decoded->codePoint));
        } else if (const char* folded = tableEntry(decoded->codePoint)) {
            out += folded;
        } else {
            out.append(text.substr(0, decoded->length));
        }
        text.remove_prefix(decoded->length);
    }
    return collapseSpaces(out);
}

} // namespace aerolune
