#!/usr/bin/env python3
"""Draws the program's icon, res/lum.ico: the letter Л on a dark tile, 16, 32 and 48 px.

Run it again after changing the drawing; the build uses the committed lum.ico.
"""
import struct
import sys
from pathlib import Path

TILE = (0x2B, 0x1E, 0x1B, 0xFF)    # dark panel, as on the pages (B, G, R, A)
LETTER = (0x3C, 0xB4, 0xF2, 0xFF)  # warm yellow
EDGE = (0x66, 0x4A, 0x44, 0xFF)


def pixel(x, y, n):
    """Colour of pixel (x, y), top-left origin, on an n x n icon."""
    u, v = (x + 0.5) / n, (y + 0.5) / n
    r = 0.18
    # Rounded tile with transparent corners.
    cx = min(max(u, r), 1 - r)
    cy = min(max(v, r), 1 - r)
    if (u - cx) ** 2 + (v - cy) ** 2 > r * r:
        return (0, 0, 0, 0)
    if min(u, v, 1 - u, 1 - v) < 0.06:
        return EDGE
    w = 0.13  # stroke width
    top, bottom = 0.22, 0.80
    left, right = 0.24, 0.76
    if top <= v <= bottom:
        # Right leg of Л, straight down.
        if right - w <= u <= right:
            return LETTER
        # Top bar.
        if v <= top + w and left + 0.10 <= u <= right:
            return LETTER
        # Left leg, curving out to the foot.
        t = (v - top) / (bottom - top)
        x0 = left + 0.10 - 0.12 * t * t
        if x0 <= u <= x0 + w:
            return LETTER
    return TILE


def image(n):
    rows = []
    for y in range(n - 1, -1, -1):  # bitmaps are stored bottom-up
        rows.append(b"".join(bytes(pixel(x, y, n)) for x in range(n)))
    xor = b"".join(rows)
    mask_row = ((n + 31) // 32) * 4
    and_mask = b"\0" * (mask_row * n)  # alpha decides; the mask lets everything through
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def main():
    sizes = [16, 32, 48]
    images = [image(n) for n in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for n, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).with_name("lum.ico")
    target.write_bytes(out)


if __name__ == "__main__":
    main()
