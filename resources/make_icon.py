"""Draws the news-folder icon (a feed symbol on an amber tile) and writes it as a .ico file.

Usage: make_icon.py OUTPUT. Each size is drawn from the same geometry, with 4x4 supersampling for
smooth edges; the images are 32-bit with alpha, which every supported Windows reads.
"""
import math
import struct
import sys

SIZES = (16, 32, 48)
SAMPLES = 4


def coverage(x, y):
    """The colour (r, g, b, a) at a point of the unit square, y downwards."""
    # Rounded tile.
    r = 0.18
    cx = min(max(x, r), 1 - r)
    cy = min(max(y, r), 1 - r)
    if (x - cx) ** 2 + (y - cy) ** 2 > r * r:
        return (0, 0, 0, 0)
    # Feed symbol: a dot and two quarter rings around the lower-left corner.
    ox, oy = 0.27, 0.73
    d = math.hypot(x - ox, y - oy)
    quadrant = x >= ox - 0.08 and y <= oy + 0.08
    if d < 0.09 or (quadrant and (0.27 < d < 0.39 or 0.50 < d < 0.62)):
        return (255, 255, 255, 255)
    # Amber, a little darker towards the bottom.
    shade = 1.0 - 0.18 * y
    return (int(240 * shade), int(140 * shade), int(30 * shade), 255)


def image(size):
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = coverage((px + (sx + 0.5) / SAMPLES) / size, (py + (sy + 0.5) / SAMPLES) / size)
                    for i in range(3):
                        acc[i] += c[i] * c[3]
                    acc[3] += c[3]
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(int(acc[i] / acc[3]) for i in range(3)) + (int(alpha),))
        rows.append(row)
    # DIB: header with double height (colour plus mask), pixels bottom-up as BGRA, then the mask.
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_row)
        for px, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[px // 8] |= 0x80 >> (px % 8)
        mask += bits
    return header + pixels + bytes(mask)


def main():
    images = [image(size) for size in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
