#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files into src/res/icons.

107/108: 32x32, 256 colours, a green telephone handset (the application icon).
129/130/131: 16x16, 16 colours, the handset with a status emblem on a white badge:
  129 a small red emblem (Skype attached), 130 a red cross (no handset),
  131 a red question mark (Skype not attached).
The drawing is plain geometry so that the output is reproducible byte for byte.
"""
import math
import os
import struct
import sys

GREEN = (0x1E, 0xA0, 0x3C)
DARK_GREEN = (0x0A, 0x5A, 0x1E)
RED = (0xE0, 0x10, 0x10)
WHITE = (0xFF, 0xFF, 0xFF)
BLACK = (0, 0, 0)


def handset(size):
    """Pixel map (None = transparent) of a handset lying diagonally."""
    pixels = [[None] * size for _ in range(size)]
    s = size / 32.0
    cx, cy, radius, width = 26 * s, 26 * s, 19 * s, 5.2 * s

    def inside(x, y):
        # The handle: a band around an arc from the ear piece to the mouth piece.
        d = math.hypot(x - cx, y - cy)
        angle = math.degrees(math.atan2(y - cy, x - cx))
        if -180 <= angle <= -90 and abs(d - radius) <= width / 2:
            return True
        # Ear and mouth pieces: rounded blocks at the two ends of the arc.
        for ex, ey in ((cx - radius, cy - 2 * s), (cx - 2 * s, cy - radius)):
            if math.hypot(x - ex, y - ey) <= 5.0 * s:
                return True
        return False

    for y in range(size):
        for x in range(size):
            if inside(x + 0.5, y + 0.5):
                edge = not all(inside(x + 0.5 + dx, y + 0.5 + dy)
                               for dx, dy in ((-1, 0), (1, 0), (0, -1), (0, 1)))
                pixels[y][x] = DARK_GREEN if edge else GREEN
    return pixels


def emblem(pixels, kind):
    size = len(pixels)
    def put(x, y, colour=RED):
        if 0 <= x < size and 0 <= y < size:
            pixels[y][x] = colour
    # Every emblem sits on the same opaque white badge, so that each status picture covers
    # the previous one completely: Wine's tray draws a changed icon over the old one without
    # erasing it, and transparent pixels would let the old emblem show through.
    for y in range(7, 16):
        for x in range(8, 16):
            put(x, y, WHITE)
    if kind == "cross":
        for i in range(7):
            for w in (0, 1):
                put(8 + i + w, 8 + i)
                put(14 - i + w, 8 + i)
    elif kind == "question":
        shape = [".###.",
                 "#...#",
                 "....#",
                 "...#.",
                 "..#..",
                 ".....",
                 "..#.."]
        for row, line in enumerate(shape):
            for col, ch in enumerate(line):
                if ch == "#":
                    put(10 + col, 8 + row)
                    put(11 + col, 8 + row)
    elif kind == "dot":
        for y in range(10, 16):
            for x in range(10, 16):
                if math.hypot(x - 12.5, y - 12.5) <= 3.0:
                    put(x, y, WHITE if math.hypot(x - 12.5, y - 12.5) <= 1.0 else RED)


def ico(pixels, bits):
    size = len(pixels)
    colours = [BLACK]
    for row in pixels:
        for p in row:
            if p is not None and p not in colours:
                colours.append(p)
    count = 1 << bits
    assert len(colours) <= count
    palette = colours + [BLACK] * (count - len(colours))
    stride = ((size * bits + 31) // 32) * 4
    xor = bytearray()
    for row in reversed(pixels):
        line = bytearray(stride)
        for x, p in enumerate(row):
            index = 0 if p is None else palette.index(p)
            if bits == 8:
                line[x] = index
            else:
                line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        xor += line
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        line = bytearray(mask_stride)
        for x, p in enumerate(row):
            if p is None:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0,
                         len(xor) + len(mask), 0, 0, count, 0)
    pal = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in palette)
    image = header + pal + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0 if count >= 256 else count, 0, 1, bits,
                        len(image), 6 + 16)
    return directory + entry + image


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(__file__), "..", "src", "res", "icons")
    os.makedirs(out, exist_ok=True)
    icons = {
        "app.ico": ico(handset(32), 8),
        "status_enabled.ico": None,
        "status_nophone.ico": None,
        "status_noskype.ico": None,
    }
    for name, kind in (("status_enabled.ico", "dot"), ("status_nophone.ico", "cross"),
                       ("status_noskype.ico", "question")):
        pixels = handset(16)
        emblem(pixels, kind)
        icons[name] = ico(pixels, 4)
    for name, data in icons.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
