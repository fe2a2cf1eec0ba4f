"""Extracts coastlines, lakes and borders from Debian's GSHHG files into one
small file that the settings window's map reads.

GSHHG ships its polygons cut into 5-degree bins: inside a bin a shoreline is a
closed ring, or a piece that enters the bin at one edge and leaves it at
another. Pieces are oriented with land on their left. This program closes the
pieces of each bin into rings along the bin's edge, so the map can fill every
bin on its own: first the whole bin with the level that surrounds the rings,
then the rings in increasing level (1 land, 2 lake, 3 island in a lake, 4 pond
on such an island). Every ring is stored counter-clockwise, with the area of
its level on its left, so the map can fill all areas of one level as a single
path with the non-zero rule and show no seams where bins meet.

Usage: shorelines.py GSHHG_DIR OUTPUT
"""

import gzip
import struct
import sys

import netCDF4

EDGE = 65535  # bin-relative coordinates run from 0 to EDGE along each side
PERIMETER = 4 * EDGE
SOUTH, EAST, NORTH, WEST, CLOSED = 0, 1, 2, 3, 4
# Antarctica is stored with its own levels (ice front and grounding line);
# nobody lives there, so the map leaves everything south of this as water.
SOUTHERN_LIMIT = -60
LEVELS = (1, 2, 3, 4)
BORDER_LEVELS = (1, 2)  # national borders, and states of the larger federations


def read(path):
    dataset = netCDF4.Dataset(path)
    dataset.set_auto_mask(False)
    return {name: variable[:].tolist() for name, variable in dataset.variables.items()}


def perimeter_position(point, side):
    """Distance from the south-west corner, counter-clockwise along the edge."""
    x, y = point
    if side == SOUTH:
        return x
    if side == EAST:
        return EDGE + y
    if side == NORTH:
        return 2 * EDGE + (EDGE - x)
    if side == WEST:
        return 3 * EDGE + (EDGE - y)
    raise ValueError("a closed segment has no position on the edge")


CORNERS = [(EDGE, (EDGE, 0)), (2 * EDGE, (EDGE, EDGE)), (3 * EDGE, (0, EDGE)), (PERIMETER, (0, 0))]


def corners_between(start, distance):
    """The corners met walking counter-clockwise from start over distance."""
    passed = []
    for lap in (0, PERIMETER):
        for position, corner in CORNERS:
            offset = position + lap - start
            if 0 < offset < distance:
                passed.append((offset, corner))
    return [corner for _, corner in sorted(passed)]


def weave(pieces):
    """Closes open pieces (region on their left) into rings along the bin edge."""
    rings = []
    unused = list(range(len(pieces)))
    while unused:
        start = unused.pop(0)
        ring = list(pieces[start]["points"])
        current = start
        while True:
            exit_at = perimeter_position(pieces[current]["points"][-1], pieces[current]["exit"])
            choices = unused + [start]
            best = min(choices, key=lambda i: (perimeter_position(pieces[i]["points"][0], pieces[i]["entry"]) - exit_at) % PERIMETER)
            entry_at = perimeter_position(pieces[best]["points"][0], pieces[best]["entry"])
            ring.extend(corners_between(exit_at, (entry_at - exit_at) % PERIMETER))
            if best == start:
                break
            unused.remove(best)
            ring.extend(pieces[best]["points"])
            current = best
        rings.append(ring)
    return rings


def without_repeats(points):
    kept = []
    for point in points:
        if not kept or kept[-1] != point:
            kept.append(point)
    while len(kept) > 1 and kept[0] == kept[-1]:
        kept.pop()
    return kept


# The file also records the level at each corner of a bin (three bits per
# corner); closing the pieces must agree with it, which checks the orientation.
CORNER_FIELDS = {(0, EDGE): 0, (EDGE, EDGE): 3, (EDGE, 0): 6, (0, 0): 9}


def check_corners(key, base, woven, node_levels):
    for corner, shift in CORNER_FIELDS.items():
        found = max([base] + [level for level, ring in woven if corner in ring])
        expected = (node_levels >> shift) & 7
        assert found == expected, f"bin {key}: corner {corner} has level {found}, the file says {expected}"


def shoreline_bins(data):
    columns = data["N_bins_in_360_longitude_range"][0]
    rows = data["N_bins_in_180_degree_latitude_range"][0]
    bin_degrees = data["Bin_size_in_minutes"][0] / 60
    info = data["Embedded_npts_levels_exit_entry_for_a_segment"]
    first_point = data["Id_of_first_point_in_a_segment"]
    xs, ys = data["Relative_longitude_from_SW_corner_of_bin"], data["Relative_latitude_from_SW_corner_of_bin"]
    bins = {}
    for gmt_bin in range(columns * rows):
        gmt_row, gmt_column = divmod(gmt_bin, columns)
        south = 90 - (gmt_row + 1) * bin_degrees
        west = gmt_column * bin_degrees
        key = (int(round((south + 90) / bin_degrees)), int(round(((west + 180) % 360) / bin_degrees)))
        node_levels = data["Embedded_node_levels_in_a_bin"][gmt_bin]
        if south < SOUTHERN_LIMIT:
            bins[key] = (0, [])
            continue
        first = data["Id_of_first_segment_in_a_bin"][gmt_bin]
        pieces = {level: [] for level in LEVELS}
        closed = []
        for segment in range(first, first + data["N_segments_in_a_bin"][gmt_bin]):
            word = info[segment]
            count, level, entry, exit_side = word >> 9, (word >> 6) & 7, (word >> 3) & 7, word & 7
            assert level in LEVELS, f"level {level} north of {SOUTHERN_LIMIT}"
            start = first_point[segment]
            points = [(xs[i] & 0xFFFF, ys[i] & 0xFFFF) for i in range(start, start + count)]
            if entry == CLOSED:
                ring = without_repeats(points)
                closed.append((level, ring[::-1] if level % 2 == 0 else ring))
                continue
            piece = {"points": points, "entry": entry, "exit": exit_side}
            if level % 2 == 0:  # lakes lie on the right: turn them round
                piece = {"points": points[::-1], "entry": exit_side, "exit": entry}
            pieces[level].append(piece)
        crossing = [level for level in LEVELS if pieces[level]]
        corner_levels = {(node_levels >> shift) & 7 for shift in (0, 3, 6, 9)}
        if crossing:
            base = min(crossing) - 1
        else:
            assert len(corner_levels) == 1, f"bin {key}: corners differ but nothing crosses its edge"
            base = corner_levels.pop()
        rings = list(closed)
        woven = []
        for level in crossing:
            woven += [(level, without_repeats(ring)) for ring in weave(pieces[level])]
        check_corners(key, base, woven, node_levels)
        rings += woven
        rings = [(level, ring) for level, ring in rings if len(ring) >= 3]
        rings.sort(key=lambda item: item[0])
        bins[key] = (base, rings)
    return rows, columns, bin_degrees, bins


def border_bins(data, columns, rows, bin_degrees):
    lines = {}
    xs, ys = data["Relative_longitude_from_SW_corner_of_bin"], data["Relative_latitude_from_SW_corner_of_bin"]
    for gmt_bin in range(columns * rows):
        gmt_row, gmt_column = divmod(gmt_bin, columns)
        south = 90 - (gmt_row + 1) * bin_degrees
        west = gmt_column * bin_degrees
        key = (int(round((south + 90) / bin_degrees)), int(round(((west + 180) % 360) / bin_degrees)))
        first = data["Id_of_first_segment_in_a_bin"][gmt_bin]
        found = []
        for segment in range(first, first + data["N_segments_in_a_bin"][gmt_bin]):
            level = data["Hierarchial_level_of_a_segment"][segment]
            if level not in BORDER_LEVELS:
                continue
            start = data["Id_of_first_point_in_a_segment"][segment]
            count = data["N_points_for_a_segment"][segment]
            found.append((level, [(xs[i] & 0xFFFF, ys[i] & 0xFFFF) for i in range(start, start + count)]))
        lines[key] = found
    return lines


def encode_points(points):
    """Each point as the difference from the one before (wrapping in 16 bits)."""
    out = bytearray()
    previous = (0, 0)
    for x, y in points:
        out += struct.pack("<HH", (x - previous[0]) & 0xFFFF, (y - previous[1]) & 0xFFFF)
        previous = (x, y)
    return out


def write(path, rows, columns, bin_degrees, shore, borders):
    bin_table, ring_table, ring_points, line_table, line_points = bytearray(), bytearray(), bytearray(), bytearray(), bytearray()
    ring_count = point_count = line_count = line_point_count = 0
    for row in range(rows):
        for column in range(columns):
            base, rings = shore[(row, column)]
            lines = borders[(row, column)]
            bin_table += struct.pack("<B3xIIII", base, ring_count, len(rings), line_count, len(lines))
            for level, ring in rings:
                ring_table += struct.pack("<B3xII", level, point_count, len(ring))
                ring_points += encode_points(ring)
                ring_count += 1
                point_count += len(ring)
            for level, line in lines:
                line_table += struct.pack("<B3xII", level, line_point_count, len(line))
                line_points += encode_points(line)
                line_count += 1
                line_point_count += len(line)
    header = b"AESHORE1" + struct.pack("<IIIIIIII", int(bin_degrees * 60), columns, rows,
                                       ring_count, point_count, line_count, line_point_count, 0)
    body = header + bin_table + ring_table + line_table + ring_points + line_points
    with gzip.GzipFile(path, "wb", compresslevel=9, mtime=0) as out:
        out.write(body)
    print(f"{path}: {rows}x{columns} bins, {ring_count} rings with {point_count} points, "
          f"{line_count} border lines with {line_point_count} points, {len(body)} bytes before compression")


def main():
    source, output = sys.argv[1], sys.argv[2]
    rows, columns, bin_degrees, shore = shoreline_bins(read(f"{source}/binned_GSHHS_i.nc"))
    borders = border_bins(read(f"{source}/binned_border_i.nc"), columns, rows, bin_degrees)
    write(output, rows, columns, bin_degrees, shore, borders)


if __name__ == "__main__":
    main()
