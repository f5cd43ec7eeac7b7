#!/usr/bin/env python3
"""Draws Dovan's icon (an envelope leaving a folder tab, with an arrow) and writes app/dovan.ico.

The icon holds two 16-colour images, 32 x 32 and 16 x 16, drawn from the same shapes scaled to the size.
Run it again only to change the drawing: python3 app/make_icon.py app/dovan.ico
"""
import struct
import sys

# The standard 16-colour palette (blue, green, red, reserved), indexed as Windows' 4-bit bitmaps are.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
    (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_BLUE, GREY, YELLOW, BLUE, WHITE, DARK_YELLOW = 0, 4, 8, 11, 12, 15, 3
CLEAR = None


def draw(size):
    """Returns rows of palette indexes (None = transparent), top row first."""
    s = size / 32.0
    pixels = [[CLEAR] * size for _ in range(size)]

    def fill(x0, y0, x1, y1, colour):
        for y in range(int(y0 * s), max(int(y1 * s), int(y0 * s) + 1)):
            for x in range(int(x0 * s), max(int(x1 * s), int(x0 * s) + 1)):
                if 0 <= x < size and 0 <= y < size:
                    pixels[y][x] = colour

    # A blue folder behind the envelope.
    fill(1, 6, 13, 10, DARK_BLUE)
    fill(1, 9, 27, 29, BLUE)
    fill(1, 28, 27, 29, DARK_BLUE)
    # The envelope: white body, black rim, the flap as two diagonals.
    fill(6, 12, 30, 26, WHITE)
    fill(6, 12, 30, 13, BLACK)
    fill(6, 25, 30, 26, BLACK)
    fill(6, 12, 7, 26, BLACK)
    fill(29, 12, 30, 26, BLACK)
    for i in range(12):
        fill(7 + i, 13 + i * 0.6, 8 + i, 14 + i * 0.6, GREY)
        fill(28 - i, 13 + i * 0.6, 29 - i, 14 + i * 0.6, GREY)
    # A yellow arrow leaving to the right, the conversion.
    fill(13, 2, 23, 5, YELLOW)
    fill(13, 4, 23, 5, DARK_YELLOW)
    for i in range(7):
        fill(23 + i, i * 0.5, 24 + i, 7 - i * 0.5, YELLOW)
    return pixels


def bitmap(pixels):
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    xor_rows, and_rows = [], []
    for row in reversed(pixels):  # bitmaps are stored bottom row first
        nibbles = [0 if p is None else p for p in row]
        xor = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        xor_rows.append(xor + b"\0" * ((4 - len(xor) % 4) % 4))
        bits = 0
        mask = bytearray()
        for i, p in enumerate(row):
            bits = (bits << 1) | (1 if p is None else 0)
            if i % 8 == 7:
                mask.append(bits)
                bits = 0
        and_rows.append(bytes(mask) + b"\0" * ((4 - len(mask) % 4) % 4))
    return header + palette + b"".join(xor_rows) + b"".join(and_rows)


def icon(sizes):
    images = [bitmap(draw(size)) for size in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


if __name__ == "__main__":
    with open(sys.argv[1] if len(sys.argv) > 1 else "dovan.ico", "wb") as f:
        f.write(icon([32, 16]))
