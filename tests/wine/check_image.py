#!/usr/bin/env python3
"""Checks an acquired image against the simulated board's picture.

    check_image.py IMAGE grey|rgb WIDTH HEIGHT

With default levels, references and LUT the board's frame n shows, for pixel
(x, y) and the channel offset o (the byte sum of the channel word):
R = (x + n + o), G = (y + n + o), B = (x + y + n + o), all mod 256; a grey
format shows B. Frame number and offset are not known here, so their sum is
taken from the first pixel and every pixel must then agree. ImageMagick
decodes the file (BMP, PNG or TIFF) to 8-bit RGB.
"""
import subprocess
import sys


def main():
    path, kind, width, height = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    geometry = subprocess.run(["identify", "-format", "%w %h", path + "[0]"],
                              check=True, capture_output=True, text=True).stdout.split()
    if [int(v) for v in geometry] != [width, height]:
        sys.exit(f"{path}: {geometry[0]} x {geometry[1]} pixels, expected {width} x {height}")
    pixels = subprocess.run(["convert", path + "[0]", "-depth", "8", "rgb:-"],
                            check=True, capture_output=True).stdout
    if len(pixels) != width * height * 3:
        sys.exit(f"{path}: {len(pixels)} bytes of RGB, expected {width * height * 3}")
    p = pixels[2]  # blue of pixel (0, 0): n + o
    wrong = 0
    first = None
    for y in range(height):
        row = pixels[y * width * 3:(y + 1) * width * 3]
        for x in range(width):
            grey = (x + y + p) % 256
            want = (grey, grey, grey) if kind == "grey" else ((x + p) % 256, (y + p) % 256, grey)
            got = tuple(row[x * 3:x * 3 + 3])
            if got != want:
                wrong += 1
                if first is None:
                    first = f"pixel ({x}, {y}) is {got}, the model gives {want}"
    if wrong:
        sys.exit(f"{path}: {wrong} pixels differ from the board's picture; first: {first}")
    print(f"{path}: {width} x {height} {kind}, every pixel as the board's frame shows it "
          f"(frame and channel offset {p})")


if __name__ == "__main__":
    main()
