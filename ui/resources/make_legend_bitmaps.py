#!/usr/bin/env python3
"""Writes the two grey ramps of the LUT page as 8-bit bitmaps with a 256-entry
grey palette: input_legend.bmp (120 x 10, black at the left to near white at
the right) and output_legend.bmp (10 x 120, black at the bottom to near white
at the top). Run it in this folder; its output is committed beside it."""
import struct

RAMP_LENGTH = 120
RAMP_THICKNESS = 10


def level(step):
    # 0 for the first of the 120 steps, 253 for the last: near white.
    return step * 256 // RAMP_LENGTH


def bitmap(width, height, pixel):
    """A bottom-up BITMAPINFOHEADER bitmap; pixel(x, y) with y = 0 at the top."""
    stride = (width + 3) & ~3
    rows = b""
    for y in reversed(range(height)):
        row = bytes(pixel(x, y) for x in range(width))
        rows += row + bytes(stride - width)
    palette = b"".join(bytes((g, g, g, 0)) for g in range(256))
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(rows), 2835, 2835, 256, 0)
    header = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    return header + info + palette + rows


def main():
    with open("input_legend.bmp", "wb") as out:
        out.write(bitmap(RAMP_LENGTH, RAMP_THICKNESS, lambda x, y: level(x)))
    with open("output_legend.bmp", "wb") as out:
        out.write(bitmap(RAMP_THICKNESS, RAMP_LENGTH, lambda x, y: level(RAMP_LENGTH - 1 - y)))


if __name__ == "__main__":
    main()
