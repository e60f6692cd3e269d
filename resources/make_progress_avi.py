"""Draws the progress window's animation and writes it as an RLE8 .avi file without sound.

Usage: make_progress_avi.py OUTPUT. A page leaves the feed symbol on the left and arcs over into the
folder on the right. The animation control plays only uncompressed or RLE8 video, so every frame is a
full RLE8 picture (a key frame) over one shared palette. Frames are 56 rows high, not the customary 60:
some progress windows leave only that much room above their first line of text.
"""
import math
import struct
import sys

WIDTH, HEIGHT = 272, 56
FRAMES = 16
MICROSECONDS_PER_FRAME = 66667

# Palette indices; the first colour is the background (the control takes it as transparent).
PALETTE = [
    (240, 240, 240),  # 0 background
    (236, 150, 44),  # 1 amber tile
    (255, 255, 255),  # 2 white
    (230, 186, 92),  # 3 folder
    (196, 148, 56),  # 4 folder edge
    (120, 132, 148),  # 5 page outline and lines
    (176, 186, 198),  # 6 shadow
]
FEED = (12, 12, 36)  # left, top, size of the feed tile
FOLDER = (212, 14, 48, 34)  # left, top, width, height


def feed_tile(x, y):
    left, top, size = FEED
    if not (left <= x < left + size and top <= y < top + size):
        return None
    u, v = (x - left) / size, (y - top) / size
    d = math.hypot(u - 0.25, v - 0.75)
    if d < 0.1 or (u >= 0.17 and v <= 0.83 and (0.3 < d < 0.42 or 0.55 < d < 0.67)):
        return 2
    return 1


def folder(x, y, front):
    left, top, width, height = FOLDER
    tab = (left <= x < left + 18 and top - 5 <= y < top)
    body = left <= x < left + width and top <= y < top + height
    if front:
        # The front flap, drawn over a page dropping in.
        if left <= x < left + width and top + 10 <= y < top + height:
            edge = y == top + 10 or y == top + height - 1 or x in (left, left + width - 1)
            return 4 if edge else 3
        return None
    if tab or body:
        edge = y in (top - 5, top + height - 1) or x in (left, left + width - 1)
        return 4 if edge else 3
    return None


def page_position(frame):
    # Along a flat arc from the tile to the folder's mouth.
    t = frame / (FRAMES - 1)
    x = 50 + (216 - 50) * t
    y = 26 - 22 * math.sin(math.pi * t)
    return int(round(x)), int(round(y))


def page(x, y, frame):
    px, py = page_position(frame)
    w, h = 14, 18
    if px + 2 <= x < px + w + 2 and py + 2 <= y < py + h + 2 and not (px <= x < px + w and py <= y < py + h):
        return 6
    if not (px <= x < px + w and py <= y < py + h):
        return None
    if x in (px, px + w - 1) or y in (py, py + h - 1):
        return 5
    if (y - py) in (4, 7, 10, 13) and px + 3 <= x < px + w - 3:
        return 5
    return 2


def frame_pixels(frame):
    rows = []
    for y in range(HEIGHT):
        row = []
        for x in range(WIDTH):
            index = 0
            for layer in (feed_tile(x, y), folder(x, y, False), page(x, y, frame), folder(x, y, True)):
                if layer is not None:
                    index = layer
            row.append(index)
        rows.append(row)
    return rows


def rle8(rows):
    # Encoded runs only, bottom row first; each row ends with 0,0 and the picture with 0,1.
    out = bytearray()
    for row in reversed(rows):
        x = 0
        while x < len(row):
            run = 1
            while x + run < len(row) and run < 255 and row[x + run] == row[x]:
                run += 1
            out += bytes((run, row[x]))
            x += run
        out += b"\x00\x00"
    out[-2:] = b"\x00\x01"
    return bytes(out)


def chunk(fourcc, data):
    padding = b"\x00" if len(data) % 2 else b""
    return fourcc + struct.pack("<I", len(data)) + data + padding


def riff_list(kind, fourcc, data):
    return kind + struct.pack("<I", len(data) + 4) + fourcc + data


def main():
    frames = [rle8(frame_pixels(f)) for f in range(FRAMES)]
    largest = max(len(f) for f in frames)
    main_header = struct.pack("<IIIIIIIIII16x", MICROSECONDS_PER_FRAME, largest * 15, 0, 0x10, FRAMES, 0, 1,
                              largest, WIDTH, HEIGHT)
    stream_header = struct.pack("<4s4sIHHIIIIIIIIhhhh", b"vids", b"RLE ", 0, 0, 0, 0, 1, 15, 0, FRAMES, largest,
                                0xFFFFFFFF, 0, 0, 0, WIDTH, HEIGHT)
    palette = b"".join(bytes((b, g, r, 0)) for (r, g, b) in PALETTE)
    bitmap_info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 1, largest, 0, 0, len(PALETTE),
                              len(PALETTE)) + palette
    stream_list = riff_list(b"LIST", b"strl", chunk(b"strh", stream_header) + chunk(b"strf", bitmap_info))
    header_list = riff_list(b"LIST", b"hdrl", chunk(b"avih", main_header) + stream_list)
    movie = b""
    index = b""
    for data in frames:
        # Offsets count from the "movi" fourcc.
        index += struct.pack("<4sIII", b"00dc", 0x10, 4 + len(movie), len(data))
        movie += chunk(b"00dc", data)
    body = header_list + riff_list(b"LIST", b"movi", movie) + chunk(b"idx1", index)
    with open(sys.argv[1], "wb") as f:
        f.write(riff_list(b"RIFF", b"AVI ", body))


if __name__ == "__main__":
    main()
