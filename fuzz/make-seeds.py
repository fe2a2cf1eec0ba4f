#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora into corpus/NAME/: a few small,
well-formed inputs for each reader, from which the fuzzer mutates. The binary
files follow the layouts that data/gazetteer.py and data/shorelines.py
describe, on a handful of made-up rows.

Usage: fuzz/make-seeds.py   (rewrites fuzz/corpus/)
"""

import gzip
import pathlib
import shutil
import struct

HERE = pathlib.Path(__file__).resolve().parent


def string(text):
    data = text.encode("utf-8")
    return struct.pack("<B", len(data)) + data


def gazetteer():
    countries = [("FR", "France", "french republic"), ("US", "United States", "usa|america")]
    regions = [(0, "11", "Ile-de-France", "idf"), (1, "TX", "Texas", "")]
    region_codes = ["", "11", "TX"]
    # Most populous first: name, country, region code index, population, latitude, longitude.
    places = [("Paris", 0, 1, 2138551, 48.85341, 2.3488), ("Dallas", 1, 2, 1300092, 32.78306, -96.80667),
              ("Paris", 1, 2, 24782, 33.66094, -95.55551), ("Saint-Denis", 0, 1, 111135, 48.93564, 2.35387)]
    # The top bit of a place marks another name of it (an alternate, an abbreviation).
    keys = sorted([(b"dallas", 1), (b"paris", 0), (b"paris", 2), (b"saint denis", 3), (b"st denis", 3 | 1 << 23)])
    languages = [("de", ["Frankreich", "Vereinigte Staaten"]), ("ja", ["", "アメリカ合衆国"])]
    zips = [(75201, 32.7876, -96.7994, 1), (75460, 33.6609, -95.5555, 2), (99999, 0.0, 0.0, -1)]
    out = bytearray(b"AEGAZET3")
    out += struct.pack("<7I", len(countries), len(regions), len(region_codes), len(places), len(keys), len(zips),
                       len(languages))
    for code, name, aliases in countries:
        out += string(code) + string(name) + string(aliases)
    for language, names in languages:
        out += string(language) + b"".join(string(name) for name in names)
    for country, code, name, aliases in regions:
        out += struct.pack("<B", country) + string(code) + string(name) + string(aliases)
    out += b"".join(string(code) for code in region_codes)
    out += b"".join(string(p[0]) for p in places)
    out += bytes(p[1] for p in places)
    out += b"".join(struct.pack("<H", p[2]) for p in places)
    out += b"".join(struct.pack("<I", p[3]) for p in places)
    out += b"".join(struct.pack("<i", round(p[4] * 100000)) for p in places)
    out += b"".join(struct.pack("<i", round(p[5] * 100000)) for p in places)
    previous = b""
    for key, _ in keys:
        shared = 0
        while shared < min(len(key), len(previous)) and key[shared] == previous[shared]:
            shared += 1
        out += struct.pack("<BB", shared, len(key) - shared) + key[shared:]
        previous = key
    out += b"".join(struct.pack("<I", place)[:3] for _, place in keys)
    for code, latitude, longitude, place in zips:
        out += struct.pack("<Iiii", code, round(latitude * 1000000), round(longitude * 1000000), place)
    return bytes(out)


def points(path):
    """Each point as 16-bit steps from the one before."""
    out, previous = bytearray(), (0, 0)
    for x, y in path:
        out += struct.pack("<HH", (x - previous[0]) & 0xFFFF, (y - previous[1]) & 0xFFFF)
        previous = (x, y)
    return out


def shoreline(bin_degrees, bins):
    """bins: row by row from the south-west, each (base level, rings, lines)."""
    columns, rows = 360 // bin_degrees, 180 // bin_degrees
    assert len(bins) == columns * rows
    bin_table, ring_table, line_table, ring_points, line_points = (bytearray() for _ in range(5))
    rings = ring_point_count = lines = line_point_count = 0
    for base, bin_rings, bin_lines in bins:
        bin_table += struct.pack("<B3xIIII", base, rings, len(bin_rings), lines, len(bin_lines))
        for level, path in bin_rings:
            ring_table += struct.pack("<B3xII", level, ring_point_count, len(path))
            ring_points += points(path)
            rings, ring_point_count = rings + 1, ring_point_count + len(path)
        for level, path in bin_lines:
            line_table += struct.pack("<B3xII", level, line_point_count, len(path))
            line_points += points(path)
            lines, line_point_count = lines + 1, line_point_count + len(path)
    header = b"AESHORE1" + struct.pack("<8I", bin_degrees * 60, columns, rows, rings, ring_point_count,
                                       lines, line_point_count, 0)
    return bytes(header + bin_table + ring_table + line_table + ring_points + line_points)


def shorelines():
    island = [(1000, 1000), (30000, 2000), (20000, 40000), (1000, 1000)]
    lake = [(5000, 5000), (9000, 5000), (9000, 9000), (5000, 9000)]
    coast = [(0, 0), (65535, 0), (65535, 30000), (0, 65535)]
    border = [(0, 30000), (65535, 31000)]
    halves = shoreline(180, [(0, [(1, island)], [(1, border)]), (1, [(2, lake)], [])])
    quarters = shoreline(90, [(0, [], []), (0, [(1, coast), (2, lake), (3, island)], [(1, border)]),
                              (1, [], [(2, border)]), (0, [(1, island)], []),
                              (4, [], []), (0, [], []), (1, [(2, lake)], []), (0, [], [])])
    return {"halves": halves, "quarters": quarters}


def arguments(*words):
    return "\0".join(words).encode("utf-8")


def corpora():
    tiny = gazetteer()
    text = b"[AeroluneSaverPrefs]\ncoordinates.lat=48.85\ncoordinates.lon=2.35\n"
    return {
        "KeyFile": {
            "saved": text,
            "by-hand": "# by hand\r\n\n[Other]\na=1\n[ AeroluneSaverPrefs ]\r\n  coordinates.lat =  48.5 \n"
                       "; note\ncoordinates.lon=2.25\ncoordinates.lon=-33.9".encode("utf-8"),
            "not-a-key-file": b"[AeroluneSaverPrefs]\ncoordinates.lat 48.5\n",
        },
        "Gazetteer": {"tiny": tiny},
        "CompressedFile": {
            "text.gz": gzip.compress(text, mtime=0),
            "gazetteer.gz": gzip.compress(tiny, 9, mtime=0),
            "stored.gz": gzip.compress(text, 0, mtime=0),
            "two-members.gz": gzip.compress(b"first\n", mtime=0) + gzip.compress(b"second\n", mtime=0),
            "cut-short.gz": gzip.compress(tiny, mtime=0)[:-9],
            "plain": text,
        },
        "Shoreline": shorelines(),
        "Options": {
            "forecast": arguments("--forecast", "--lat", "48.85", "--lon", "2.35", "--at",
                                  "2024-06-21T12:00:00+02:00"),
            "snapshot": arguments("--snapshot=sky.png", "--size", "960x540", "--after", "10m", "--seed", "3",
                                  "--location", "Lisbon"),
            "simulate": arguments("-simulate", "30d", "--lat=-69.65", "--lon=+18.96", "--at=2024-01-01T00:00Z"),
            "window": arguments("-root", "-window-id", "0x1a00005", "-fps", "--preview", "--log-stderr"),
            "set-location": arguments("--set-location", " -33.9 , 18.4 "),
            "help": arguments("--forecast", "--help", "--snapshot", "a.png"),
        },
        "Time": {
            "offset": b"2024-06-21T12:00:00+02:00",
            "utc-minutes": b"2024-06-21T20:38Z",
            "leap-second": b"1999-12-31T23:59:60-05:30",
            "hours": b"72h",
            "seconds": b"3600",
            "fraction": b"1.5d",
            "exponent": b"2.5e3m",
        },
        "PlaceSearch": {name: text.encode("utf-8") for name, text in {
            "name": "Lisbon", "qualified": "paris, tx", "trailing-country": "Paris France",
            "trailing-code": "Springfield IL", "trailing-words": "Saint Paul North Carolina",
            "empty-qualifier": "Paris, , France", "comma-in-name": "Washington, D.C.", "zip": "10001",
            "zip-plus-four": "10001-1234", "accents": "São Paulo", "umlaut": "Zürich", "kanji": "東京"}.items()},
    }


def main():
    root = HERE / "corpus"
    shutil.rmtree(root, ignore_errors=True)
    for target, seeds in corpora().items():
        folder = root / target
        folder.mkdir(parents=True)
        for name, data in seeds.items():
            (folder / name).write_bytes(data)


if __name__ == "__main__":
    main()
