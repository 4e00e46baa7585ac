#!/usr/bin/env python3
"""Draws the caption-button glyphs of the flat themes and writes them as skin_glyphs.bmp: one
strip of four 16 x 16 images (0 close, 1 maximise, 2 minimise, 3 restore), black on white. White
is the transparent colour; the themes paint the black shape in their own colours.

Usage: draw_skin_glyphs.py <output folder>
"""
import struct
import sys
from pathlib import Path

SIZE = 16

# '#' is ink, anything else paper.
GLYPHS = [
    # close
    [
        "................",
        "................",
        "................",
        "................",
        "....##....##....",
        ".....##..##.....",
        "......####......",
        ".......##.......",
        "......####......",
        ".....##..##.....",
        "....##....##....",
        "................",
        "................",
        "................",
        "................",
        "................",
    ],
    # maximise
    [
        "................",
        "................",
        "................",
        "...##########...",
        "...##########...",
        "...#........#...",
        "...#........#...",
        "...#........#...",
        "...#........#...",
        "...#........#...",
        "...#........#...",
        "...##########...",
        "................",
        "................",
        "................",
        "................",
    ],
    # minimise
    [
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "....######......",
        "....######......",
        "................",
        "................",
        "................",
        "................",
    ],
    # restore
    [
        "................",
        "................",
        "................",
        "......#######...",
        "......#######...",
        "......#.....#...",
        "...#######..#...",
        "...#######..#...",
        "...#.....#..#...",
        "...#.....####...",
        "...#.....#......",
        "...#######......",
        "................",
        "................",
        "................",
        "................",
    ],
]

INK = (0, 0, 0)
PAPER = (255, 255, 255)


def strip_pixels():
    """Rows top to bottom of the whole strip, each a list of (r, g, b)."""
    rows = []
    for y in range(SIZE):
        row = []
        for glyph in GLYPHS:
            assert len(glyph) == SIZE and all(len(line) == SIZE for line in glyph)
            row += [INK if ch == '#' else PAPER for ch in glyph[y]]
        rows.append(row)
    return rows


def bmp_bytes(rows):
    """A 24-bit bottom-up bitmap file."""
    width, height = len(rows[0]), len(rows)
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        data += line
    header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return b'BM' + struct.pack('<IHHI', 14 + len(header) + len(data), 0, 0, 54) + header + data


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    (out / 'skin_glyphs.bmp').write_bytes(bmp_bytes(strip_pixels()))


if __name__ == '__main__':
    main()
