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
// A place found only by another of its names (an alternate name, an
// abbreviation such as "NYC") counts as ten times smaller than one whose own
// name was typed. A word after a comma that names no country or region may
// name a city, and then means the places within 25 km of it, its districts
// ("Greenwich, London"). Nothing before the comma (", tx") is refused rather
// than read as the words after it. Country names come in the language of
// the program's messages where the gazetteer has them.
//
// The search is synchronous and touches nothing but the read-only gazetteer,
// so it may run on any thread.

#include "geocode/Gazetteer.h"
#include "geocode/GeocodeResult.h"

#include <cstddef>
#include <optional>
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

    // The place that names a coordinate: the nearest within namingKilometres,
    // or none.
    static constexpr double namingKilometres = 25;
    static std::optional<PlaceCandidate> nearest(CLLocationCoordinate2D coordinate);
    static std::optional<PlaceCandidate> nearest(const Gazetteer& gazetteer,
                                                 CLLocationCoordinate2D coordinate);

    // The text folded for matching; fails on what makes it unsearchable
    // before any data is read: not UTF-8, longer than maximumCharacters, or
    // no letter or digit in it.
    static Result<std::string, GeocodeError> searchable(std::string_view text);
};

} // namespace aerolune
