#!/usr/bin/env python3
"""Draws the program's icon, a magnifier over an open book, into xiulan.ico.

The icon file holds one 32 x 32 image at 32 bits per pixel (6 + 16 + 40 + 4096 + 128 =
4,286 bytes). Shapes are drawn 8 times larger and averaged down, so edges are smooth at 32
pixels and the two shapes stay distinct when Windows shrinks the icon to 16 pixels.

Run it from anywhere: python3 resources/make_icon.py
"""
import math
import os
import struct

SIZE = 32
SCALE = 8
BIG = SIZE * SCALE

# Colours as (red, green, blue).
COVER = (32, 86, 160)       # book cover, deep blue
PAGE = (250, 246, 232)      # paper
PAGE_SHADE = (214, 206, 184)
LINE = (150, 160, 176)      # text lines on the pages
RIM = (40, 44, 52)          # magnifier rim
GLASS = (178, 222, 246)     # lens
GLINT = (255, 255, 255)
HANDLE = (150, 82, 34)      # wooden handle


def inside_polygon(x, y, points):
    inside = False
    j = len(points) - 1
    for i, (xi, yi) in enumerate(points):
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def distance_to_segment(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy))


def colour_at(x, y):
    """Colour of a point in 32-pixel units, or None where the icon is transparent."""
    # Magnifier: lens centred upper right, handle towards the lower right corner.
    cx, cy, radius = 19.5, 12.0, 8.0
    d = math.hypot(x - cx, y - cy)
    if distance_to_segment(x, y, 25.3, 17.8, 30.0, 22.5) <= 2.0:
        return HANDLE
    if d <= radius:
        if d >= radius - 2.2:
            return RIM
        if math.hypot(x - (cx - 2.8), y - (cy - 2.8)) <= 1.6:
            return GLINT
        colour = GLASS
        # The page lines show through the lens, a little magnified.
        if 13.0 <= y <= 21.0 and int((y - 13.0) * 1.4) % 3 == 0 and x < cx + 5:
            colour = LINE
        return colour

    # Open book: two pages rising from the spine at (14, 29), on a cover.
    left_page = [(2, 14), (8, 12.5), (14, 15), (14, 28), (8, 25.5), (2, 27)]
    right_page = [(14, 15), (20, 12.5), (26, 14), (26, 27), (20, 25.5), (14, 28)]
    cover = [(1, 15.5), (14, 17), (27, 15.5), (27, 29), (14, 30.5), (1, 29)]
    for page, outer_x in ((left_page, 2), (right_page, 26)):
        if inside_polygon(x, y, page):
            if abs(x - 14) < 0.8:
                return PAGE_SHADE
            # Text lines across the page, leaving margins.
            margin = abs(x - 14) > 1.8 and abs(x - outer_x) > 1.6
            bend = (8 - abs(x - (8 if outer_x == 2 else 20))) * 0.25
            if margin and 16.0 <= y - bend <= 24.5 and int(y - bend) % 2 == 0 and (y - bend) % 1 < 0.6:
                return LINE
            return PAGE
    if inside_polygon(x, y, cover):
        return COVER
    return None


def render():
    pixels = []  # rows top to bottom of (r, g, b, a)
    for row in range(SIZE):
        line = []
        for col in range(SIZE):
            r = g = b = a = 0
            for sy in range(SCALE):
                for sx in range(SCALE):
                    colour = colour_at(col + (sx + 0.5) / SCALE, row + (sy + 0.5) / SCALE)
                    if colour:
                        r += colour[0]
                        g += colour[1]
                        b += colour[2]
                        a += 1
            if a:
                line.append((r // a, g // a, b // a, a * 255 // (SCALE * SCALE)))
            else:
                line.append((0, 0, 0, 0))
        pixels.append(line)
    return pixels


def icon_bytes(pixels):
    xor = bytearray()
    for line in reversed(pixels):  # a DIB is stored bottom-up
        for r, g, b, a in line:
            xor += bytes((b, g, r, a))
    mask = bytearray()
    for line in reversed(pixels):
        bits = 0
        for col, (_, _, _, a) in enumerate(line):
            if a == 0:
                bits |= 1 << (31 - col)
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def main():
    data = icon_bytes(render())
    assert len(data) == 4286, len(data)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "xiulan.ico")
    with open(path, "wb") as out:
        out.write(data)
    print(f"wrote {path} ({len(data)} bytes)")


if __name__ == "__main__":
    main()
