#pragma once

// Turns what a person typed into places of the gazetteer, best first.
//
// Names compare after folding (NameFolding): case, accents and punctuation do
// not matter. A place whose name equals the text comes before one whose name
// only starts with it; among equals the most populous comes first. Words
// after a comma narrow the search to a country or a first-level region, by
// code or by name ("paris, tx", "Paris, Texas", "Springfield, IL",
// "Paris, France"); when the whole text names nothing, its last one to three
// words are tried as such a qualifier ("Paris France", "Springfield IL"). A
// place whose own name holds a comma ("Washington, D.C.") is found too.
// Five digits (optionally "-" and four more) are a US ZIP code.
//
// The search is synchronous and touches nothing but the read-only gazetteer,
// so it may run on any thread.

#include "geocode/Gazetteer.h"
#include "geocode/GeocodeResult.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace aerolune {

struct PlaceSearch {
    static constexpr std::size_t maximumCharacters = 200;
    static constexpr std::size_t defaultLimit = 10;

    // Searches the shared gazetteer, loading it if needed.
    static GeocodeResult search(std::string_view text, std::size_t limit = defaultLimit);
    static GeocodeResult search(const Gazetteer& gazetteer, std::string_view text,
                                std::size_t limit = defaultLimit);

    // The text folded for matching; fails on what makes it unsearchable
    // before any data is read: not UTF-8, longer than maximumCharacters, or
    // no letter or digit in it.
    static Result<std::string, GeocodeError> searchable(std::string_view text);
};

} // namespace aerolune
