"""Draws the About box's picture and writes it as a 24-bit .bmp file.

Usage: make_about_bitmap.py OUTPUT. The box draws dark text over two areas of the picture: the product
lines at (5, 85)-(150, 145) and the slogan across the whole width at rows 145-175. Both stay plain and
light; the decoration lives in the header band above and in the card to the right of the product lines.
No pixel is a neutral grey, so the text colour RGB(47, 47, 47) never occurs in the picture itself.
"""
import math
import struct
import sys

WIDTH, HEIGHT = 404, 214
SAMPLES = 3
HEADER = 72
FEED_CENTRE = (44.0, 54.0)
CARD = (206, 84, 392, 140)


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def background(x, y):
    if y < HEADER:
        # A blue band, a little lighter towards the right.
        return mix((34, 84, 132), (58, 118, 172), x / WIDTH)
    if y < HEADER + 2:
        return (236, 150, 44)
    # Below the band: a pale blue wash fading to near white.
    t = min(1.0, (y - HEADER) / 60.0)
    return mix((226, 236, 246), (248, 250, 253), t)


def header(x, y, colour):
    # Rings spreading from the feed symbol across the band, fainter further out.
    d = math.hypot(x - FEED_CENTRE[0], y - FEED_CENTRE[1])
    if x >= FEED_CENTRE[0] - 6 and y <= FEED_CENTRE[1] + 6:
        if d < 7:
            return (246, 162, 52)
        for inner, outer in ((14, 21), (28, 35)):
            if inner < d < outer:
                return (246, 162, 52)
    ring = (d - 48) % 26
    if d > 48 and ring < 3:
        fade = max(0.0, 1.0 - (d - 48) / 360.0)
        return mix(colour, (150, 190, 226), 0.35 * fade)
    return colour


def card(x, y, colour):
    left, top, right, bottom = CARD
    if not (left <= x < right and top <= y < bottom):
        # A soft shadow below and to the right.
        if left + 3 <= x < right + 3 and top + 3 <= y < bottom + 3:
            return mix(colour, (150, 170, 196), 0.35)
        return colour
    if x < left + 1 or x >= right - 1 or y < top + 1 or y >= bottom - 1:
        return (186, 204, 224)
    # Four headline rows: a label dot and a bar of varying length.
    for row, length in enumerate((150, 118, 136, 96)):
        cy = top + 11 + row * 12
        if math.hypot(x - (left + 12), y - cy) < 3:
            return ((236, 150, 44), (86, 150, 206), (120, 176, 120), (186, 120, 176))[row]
        if left + 22 <= x < left + 22 + length and abs(y - cy) < 2:
            return (196, 212, 230) if row else (150, 178, 210)
    return (255, 255, 255)


def colour_at(x, y):
    colour = background(x, y)
    if y < HEADER:
        return header(x, y, colour)
    return card(x, y, colour)


def pixel(px, py):
    acc = [0.0, 0.0, 0.0]
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            c = colour_at(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES)
            for i in range(3):
                acc[i] += c[i]
    n = SAMPLES * SAMPLES
    r, g, b = (int(round(v / n)) for v in acc)
    if r == g == b:
        b = min(255, b + 1)
    return r, g, b


def main():
    row_size = (WIDTH * 3 + 3) // 4 * 4
    rows = []
    for py in reversed(range(HEIGHT)):
        row = bytearray()
        for px in range(WIDTH):
            r, g, b = pixel(px, py)
            row += bytes((b, g, r))
        row += bytes(row_size - len(row))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(sys.argv[1], "wb") as f:
        f.write(header + info + pixels)


if __name__ == "__main__":
    main()
