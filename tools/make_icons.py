#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files into src/res/icons.

107/108: 32x32, 256 colours, a green telephone handset (the application icon).
129/130/131: 16x16, 20x20, 24x24 and 32x32 in 16 colours (the notification area's icon size
  at 100, 125, 150 and 200 % on a DPI-aware program), the handset with a status emblem on a
  white badge: 129 a small red emblem (Skype attached), 130 a red cross (no handset),
  131 a red question mark (Skype not attached).
The drawing is plain geometry so that the output is reproducible byte for byte. Every size is
the 16x16 layout scaled, sampled so that the scale 1 gives the 16x16 picture exactly.
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


STATUS_SIZES = (16, 20, 24, 32)

QUESTION = [".###.",
            "#...#",
            "....#",
            "...#.",
            "..#..",
            ".....",
            "..#.."]


def emblem(pixels, kind):
    size = len(pixels)
    s = size / 16.0
    def put(x, y, colour=RED):
        if 0 <= x < size and 0 <= y < size:
            pixels[y][x] = colour
    # Every emblem sits on the same opaque white badge, so that each status picture covers
    # the previous one completely: Wine's tray draws a changed icon over the old one without
    # erasing it, and transparent pixels would let the old emblem show through.
    for y in range(round(7 * s), size):
        for x in range(size // 2, size):
            put(x, y, WHITE)
    # Strokes are two pixels wide at 16x16 and grow with the size.
    stroke = round(2 * s)
    if kind == "cross":
        first = round(8 * s)
        for i in range(size - first - stroke + 1):
            for w in range(stroke):
                put(first + i + w, first + i)
                put(size - stroke - i + w, first + i)
    elif kind == "question":
        # The 5x7 glyph scaled, each pixel sampled at its centre, and its strokes widened to the
        # right to twice their height.
        left, top = round(10 * s), round(8 * s)
        for y in range(top, size):
            row = int((y + 0.5 - top) / s)
            if row >= len(QUESTION):
                break
            for x in range(left, size):
                for w in range(round(s) + 1):
                    col = math.floor((x - w + 0.5 - left) / s)
                    if 0 <= col < 5 and QUESTION[row][col] == "#":
                        put(x, y)
                        break
    elif kind == "dot":
        cx = cy = 12.5 * s
        for y in range(round(10 * s), size):
            for x in range(round(10 * s), size):
                if math.hypot(x - cx, y - cy) <= 3.0 * s:
                    put(x, y, WHITE if math.hypot(x - cx, y - cy) <= 1.0 * s else RED)


def ico_image(pixels, bits):
    """One image of an .ico file: (directory entry without its offset, image data)."""
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
    entry = struct.pack("<BBBBHHI", size, size, 0 if count >= 256 else count, 0, 1, bits,
                        len(image))
    return entry, image


def ico(images):
    """An .ico file of the given (pixels, bits) images, in that order."""
    parts = [ico_image(pixels, bits) for pixels, bits in images]
    offset = 6 + 16 * len(parts)
    directory = struct.pack("<HHH", 0, 1, len(parts))
    for entry, image in parts:
        directory += entry + struct.pack("<I", offset)
        offset += len(image)
    return directory + b"".join(image for _, image in parts)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(__file__), "..", "src", "res", "icons")
    os.makedirs(out, exist_ok=True)
    icons = {"app.ico": ico([(handset(32), 8)])}
    for name, kind in (("status_enabled.ico", "dot"), ("status_nophone.ico", "cross"),
                       ("status_noskype.ico", "question")):
        images = []
        for size in STATUS_SIZES:
            pixels = handset(size)
            emblem(pixels, kind)
            images.append((pixels, 4))
        icons[name] = ico(images)
    for name, data in icons.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
