#!/usr/bin/env python3
"""Draws the buttons' pictures and writes them as 24-bit bitmaps beside this
script: glyph_check.bmp (a check mark, 16 x 16) and glyph_cross.bmp (a red
cross, 18 x 18). Each bitmap holds the normal image and then the disabled one,
side by side. The bottom-left pixel's colour (magenta) is transparent.

Run it again after changing a drawing; the bitmaps are kept in the repository
so that the build needs no Python.
"""
import os
import struct

KEY = (255, 0, 255)
COLOURS = {
    '.': KEY,
    'G': (0, 128, 0),      # check mark
    'g': (0, 192, 0),      # its light edge
    'R': (255, 0, 0),      # cross
    'r': (128, 0, 0),      # its dark edge
}
GREY = (128, 128, 128)
WHITE = (255, 255, 255)

CHECK = [
    "................",
    "................",
    "................",
    ".............g..",
    "............gG..",
    "...........gGG..",
    "..g.......gGGG..",
    "..Gg.....gGGG...",
    "..GGg...gGGG....",
    "..GGGg.gGGG.....",
    "...GGGgGGG......",
    "....GGGGG.......",
    ".....GGG........",
    "......G.........",
    "................",
    "................",
]

def cross_art(size=18, margin=2, half_width=1.6):
    """A red cross: two diagonal bands with a dark red edge."""
    inside = [[False] * size for _ in range(size)]
    c = (size - 1) / 2
    for y in range(size):
        for x in range(size):
            if not (margin <= x < size - margin and margin <= y < size - margin):
                continue
            d1 = abs((x - c) - (y - c)) / 1.4142
            d2 = abs((x - c) + (y - c)) / 1.4142
            inside[y][x] = min(d1, d2) <= half_width
    rows = []
    for y in range(size):
        row = ''
        for x in range(size):
            if not inside[y][x]:
                row += '.'
                continue
            edge = any(not (0 <= y + dy < size and 0 <= x + dx < size) or not inside[y + dy][x + dx]
                       for dy, dx in ((-1, 0), (1, 0), (0, -1), (0, 1)))
            row += 'r' if edge else 'R'
        rows.append(row)
    return rows


CROSS = cross_art()


def pixels(art):
    return [[COLOURS[c] for c in row] for row in art]


def greyed(image):
    """The classic disabled look: the shape in grey with a white edge below right."""
    h, w = len(image), len(image[0])
    out = [[KEY] * w for _ in range(h)]
    for y in range(h):
        for x in range(w):
            if image[y][x] != KEY and y + 1 < h and x + 1 < w:
                out[y + 1][x + 1] = WHITE
    for y in range(h):
        for x in range(w):
            if image[y][x] != KEY:
                out[y][x] = GREY
    return out


def outlined(image):
    """The shape's outline in grey, hollow inside."""
    h, w = len(image), len(image[0])
    out = [[KEY] * w for _ in range(h)]
    for y in range(h):
        for x in range(w):
            if image[y][x] == KEY:
                continue
            edge = any(
                not (0 <= y + dy < h and 0 <= x + dx < w) or image[y + dy][x + dx] == KEY
                for dy, dx in ((-1, 0), (1, 0), (0, -1), (0, 1)))
            if edge:
                out[y][x] = GREY
    return out


def side_by_side(*images):
    return [sum((img[y] for img in images), []) for y in range(len(images[0]))]


def write_bmp(path, image):
    h, w = len(image), len(image[0])
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(image):  # bottom-up
        line = bytearray()
        for (r, g, b) in row:
            line += bytes((b, g, r))
        line += b'\0' * (stride - len(line))
        data += line
    header = struct.pack('<2sIHHI', b'BM', 14 + 40 + len(data), 0, 0, 14 + 40)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data), 3780, 3780, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    check = pixels(CHECK)
    cross = pixels(CROSS)
    assert len(check) == 16 and all(len(r) == 16 for r in check)
    assert len(cross) == 18 and all(len(r) == 18 for r in cross)
    write_bmp(os.path.join(here, 'glyph_check.bmp'), side_by_side(check, greyed(check)))
    write_bmp(os.path.join(here, 'glyph_cross.bmp'), side_by_side(cross, outlined(cross)))


if __name__ == '__main__':
    main()
