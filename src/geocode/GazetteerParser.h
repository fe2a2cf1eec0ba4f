#pragma once

// Reads gazetteer.bin.gz into a Gazetteer, checking what the searches rely
// on: counts, indices in range, and the order of names and ZIP codes.

#include "datafiles/ByteReader.h"
#include "geocode/Gazetteer.h"
#include "platform/core/Result.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace aerolune {

class Gazetteer::Parser {
public:
    explicit Parser(Gazetteer& gazetteer);

    Result<void> run();

private:
    // Each read stops at the first fault and keeps its reason.
    bool readAll();
    bool fail(std::string reason);
    bool readCountries(std::size_t count);
    bool readLanguages(std::size_t count);
    bool readRegions(std::size_t count);
    bool readRegionCodes(std::size_t count);
    bool readPlaces(std::size_t count);
    bool readKeys(std::size_t count);
    bool readZips(std::size_t count);
    // Files the folded forms of a name and its "|"-separated aliases.
    template <class Add> void addQualifiers(std::string_view names, Add add);

    // A name's place index; the bit above it marks another name of the place.
    static constexpr std::uint32_t placeMask = (1u << 23) - 1;

    Gazetteer& gazetteer_;
    ByteReader in_;
    std::string error_;
    // (country << 16 | region code index) -> index into regions
    std::unordered_map<std::uint32_t, std::int32_t> regionByCode_;
};

} // namespace aerolune
