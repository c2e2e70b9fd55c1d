#!/usr/bin/env python3
"""Draws Vareli's icon and writes it as vareli.ico beside this script.

The picture: a dark teletext screen (a rounded navy square) with a white
antenna mast in the middle and yellow radio waves on both sides, and a red
dot on the mast's top: a station heard on the air.

Each size (16, 24, 32 and 48 pixels) is drawn from the same shapes at 8 x 8
samples per pixel, so the small sizes are smoothed rather than cut from the
large one. The images are 32-bit with alpha (Windows XP and later) and carry
the 1-bit mask as well, for the places that still use it.

Run it again after changing the drawing; the .ico is kept in the repository so
that the build needs no Python.
"""
import math
import os
import struct

SIZES = (16, 24, 32, 48)
SAMPLES = 8

NAVY = (16, 32, 96)
EDGE = (140, 160, 210)
WHITE = (255, 255, 255)
YELLOW = (255, 214, 0)
RED = (230, 30, 30)


def in_rounded_square(x, y, left, top, right, bottom, radius):
    if not (left <= x <= right and top <= y <= bottom):
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def in_arc(x, y, cx, cy, radius, width, half_angle, facing):
    """A ring segment around (cx, cy) opening towards facing (+1 right, -1 left)."""
    dx, dy = (x - cx) * facing, y - cy
    r = math.hypot(dx, dy)
    if abs(r - radius) > width / 2 or dx <= 0:
        return False
    return abs(math.atan2(dy, dx)) <= half_angle


def in_segment(x, y, x0, y0, x1, y1, width):
    vx, vy = x1 - x0, y1 - y0
    t = max(0.0, min(1.0, ((x - x0) * vx + (y - y0) * vy) / (vx * vx + vy * vy)))
    px, py = x0 + t * vx, y0 + t * vy
    return (x - px) ** 2 + (y - py) ** 2 <= (width / 2) ** 2


def layers(size):
    """The shapes from back to front, in unit coordinates, as (colour, test).
    Strokes get at least about one pixel of width at the small sizes."""
    px = 1.0 / size
    stroke = max(0.075, 1.15 * px)
    # The mast stands on a pixel's centre so that it stays sharp.
    mast_x = (size // 2 + 0.5) / size
    mast_top, mast_bottom = 0.30, 0.86
    wave_y = 0.36
    # At 16 pixels two waves a side blur into one: draw one.
    radii = ((0.30, 0.7),) if size <= 16 else ((0.17, 0.75), (0.32, 0.65))
    waves = [(YELLOW, lambda x, y, r=r, h=h, f=f: in_arc(x, y, mast_x, wave_y, r, stroke, h, f))
             for r, h in radii for f in (1, -1)]
    return [
        (EDGE, lambda x, y: in_rounded_square(x, y, 0.02, 0.02, 0.98, 0.98, 0.18)),
        (NAVY, lambda x, y: in_rounded_square(x, y, 0.02 + px, 0.02 + px, 0.98 - px, 0.98 - px,
                                              0.18 - px)),
        # The mast and its two legs.
        (WHITE, lambda x, y: in_segment(x, y, mast_x, mast_top, mast_x, mast_bottom, stroke)),
        (WHITE, lambda x, y: in_segment(x, y, mast_x, 0.55, 0.33, mast_bottom, stroke * 0.9)),
        (WHITE, lambda x, y: in_segment(x, y, mast_x, 0.55, 0.67, mast_bottom, stroke * 0.9)),
    ] + waves + [
        # The station on the air.
        (RED, lambda x, y: (x - mast_x) ** 2 + (y - wave_y) ** 2 <= max(0.075, 1.2 * px) ** 2),
    ]


def render(size):
    """Rows of (r, g, b, a), top row first."""
    shapes = layers(size)
    image = []
    for row in range(size):
        line = []
        for col in range(size):
            r = g = b = a = 0.0  # premultiplied
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (col + (sx + 0.5) / SAMPLES) / size
                    y = (row + (sy + 0.5) / SAMPLES) / size
                    colour = None
                    for c, inside in shapes:
                        if inside(x, y):
                            colour = c
                    if colour is not None:
                        r, g, b, a = r + colour[0], g + colour[1], b + colour[2], a + 1
            n = SAMPLES * SAMPLES
            if a == 0:
                line.append((0, 0, 0, 0))
            else:
                line.append((round(r / a), round(g / a), round(b / a), round(255 * a / n)))
        image.append(line)
    return image


def icon_image(image):
    """One icon image: BITMAPINFOHEADER (height doubled for the mask), the
    32-bit colours bottom-up, then the 1-bit mask (set = transparent)."""
    size = len(image)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colours = bytearray()
    for line in reversed(image):
        for (r, g, b, a) in line:
            colours += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for line in reversed(image):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(line):
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(colours) + bytes(mask)


def write_ico(path, images):
    blobs = [icon_image(image) for image in images]
    out = bytearray(struct.pack('<HHH', 0, 1, len(blobs)))
    offset = 6 + 16 * len(blobs)
    for image, blob in zip(images, blobs):
        size = len(image)
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    with open(path, 'wb') as f:
        f.write(bytes(out))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    write_ico(os.path.join(here, 'vareli.ico'), [render(size) for size in SIZES])


if __name__ == '__main__':
    main()
