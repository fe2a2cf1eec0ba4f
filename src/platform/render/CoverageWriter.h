#pragma once

// Writes pictures that are one colour at varying coverage (a cloud of puffs:
// near-white at up to a fifth opacity), kept as one byte a pixel.
//
// Over a plain opaque colour, the pictures that touch a row combine into one
// run of coverage (1 minus the product of each one's 1 - coverage), and the
// run becomes pixels once, through a table of the colour over the plain one
// at each of the 256 coverages: every pixel is read and written once a
// frame, however many pictures overlap it, and each picture is read at a
// quarter of the bytes a colour picture takes. Each table entry is the colour
// at that coverage OVER the plain colour, each channel rounded once.

#include "platform/core/Color.h"

#include <array>
#include <cairo.h>
#include <cstdint>
#include <vector>

namespace aerolune {

class CoverageWriter {
public:
    // An A8 picture of coverage with its top-left corner at device (x, y).
    struct Piece {
        cairo_surface_t* coverage;
        int x;
        int y;
    };

    // Pictures of `color` (its own alpha left out) over the opaque `plain`.
    CoverageWriter(const Color& color, const Color& plain);

    // Writes every pixel of `area` in the ARGB32 `image`: the plain colour
    // beneath the pieces, all at once, whatever the image held there.
    void writeOverPlain(cairo_surface_t* image, const cairo_region_t* area,
                        const std::vector<Piece>& pieces);
    // Composites one piece OVER what the image holds inside `area`.
    void compositeOver(cairo_surface_t* image, const cairo_region_t* area,
                       const Piece& piece) const;

private:
    // A piece's coverage along part of a row: from column `from` up to `to`.
    struct Span {
        int from;
        int to;
        const std::uint8_t* coverage;
    };
    // The first `count` spans_ lie on the row.
    void writeRow(std::uint32_t* row, int from, int to, int count);

    // The colour, opaque, and that at each coverage over the plain colour.
    std::uint32_t color_;
    std::array<std::uint32_t, 256> overPlain_{};
    // For the row being written: its spans, and what they let through of the
    // plain colour, in 65535ths, rounded to a coverage only once written
    // so that overlaps round once, not once a picture.
    std::vector<Span> spans_;
    std::vector<Span> clipped_;
    std::vector<std::uint16_t> through_;
};

} // namespace aerolune
