#pragma once

// How place names and what the user types are made comparable: lower case,
// accents and ligatures spelled plainly ("Tromsø" -> "tromso", "Straße" ->
// "strasse", "Łódź" -> "lodz"), apostrophes and full stops dropped
// ("O'Fallon" -> "ofallon", "St. Louis" -> "st louis"), every other mark a
// word break, and runs of breaks one space. Scripts without such rules
// (Chinese, Arabic, ...) pass through unchanged.
//
// The gazetteer's names were folded by data/gazetteer.py with the same table
// (FoldingTable.inc) and the same rules, so both sides must change together.

#include <string>
#include <string_view>

namespace aerolune {

struct NameFolding {
    // text must be valid UTF-8.
    static std::string fold(std::string_view text);
};

} // namespace aerolune
