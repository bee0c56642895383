#!/usr/bin/env python3
"""Checks an acquired image, or a screenshot of the live preview, against the
simulated board's picture.

    check_image.py IMAGE grey|rgb WIDTH HEIGHT
    check_image.py --within SCREENSHOT grey|rgb WIDTH HEIGHT

With default levels, references and LUT the board's frame n shows, for pixel
(x, y) and the channel offset o (the byte sum of the channel word):
R = (x + n + o), G = (y + n + o), B = (x + y + n + o), all mod 256; a grey
format shows B. Frame number and offset are not known here, so their sum is
taken from the first pixel and every pixel must then agree. With --within the
picture must lie, whole, somewhere in the screenshot (the window's preview
area). ImageMagick decodes the file (BMP, PNG or TIFF) to 8-bit RGB.
"""
import subprocess
import sys


def read_rgb(path):
    size = subprocess.run(["identify", "-format", "%w %h", path + "[0]"],
                          check=True, capture_output=True, text=True).stdout.split()
    width, height = int(size[0]), int(size[1])
    pixels = subprocess.run(["convert", path + "[0]", "-depth", "8", "rgb:-"],
                            check=True, capture_output=True).stdout
    if len(pixels) != width * height * 3:
        sys.exit(f"{path}: {len(pixels)} bytes of RGB, expected {width * height * 3}")
    return width, height, pixels


def expected(kind, x, y, p):
    grey = (x + y + p) % 256
    return (grey, grey, grey) if kind == "grey" else ((x + p) % 256, (y + p) % 256, grey)


def pixel(pixels, stride, x, y):
    at = (y * stride + x) * 3
    return tuple(pixels[at:at + 3])


def compare(pixels, stride, left, top, kind, width, height):
    """Pixels of the picture at (left, top) that differ from the model, and the first."""
    p = pixels[(top * stride + left) * 3 + 2]  # blue of the picture's first pixel: n + o
    wrong, first = 0, None
    for y in range(height):
        for x in range(width):
            got, want = pixel(pixels, stride, left + x, top + y), expected(kind, x, y, p)
            if got != want:
                wrong += 1
                if first is None:
                    first = f"pixel ({x}, {y}) is {got}, the model gives {want}"
    return p, wrong, first


def find_picture(pixels, stride, rows, kind, width, height):
    """The top left corner of a place where the picture starts, by a few probes."""
    probes = [(1, 0), (0, 1), (7, 3), (width - 1, 0), (0, height - 1), (width - 1, height - 1)]
    for top in range(rows - height + 1):
        for left in range(stride - width + 1):
            p = pixels[(top * stride + left) * 3 + 2]
            if pixel(pixels, stride, left, top) != expected(kind, 0, 0, p):
                continue
            if all(pixel(pixels, stride, left + x, top + y) == expected(kind, x, y, p)
                   for x, y in probes):
                return left, top
    return None


def main():
    within = sys.argv[1] == "--within"
    arguments = sys.argv[2:] if within else sys.argv[1:]
    path, kind, width, height = arguments[0], arguments[1], int(arguments[2]), int(arguments[3])
    image_width, image_height, pixels = read_rgb(path)
    if within:
        corner = find_picture(pixels, image_width, image_height, kind, width, height)
        if corner is None:
            sys.exit(f"{path}: no {width} x {height} {kind} picture of the board in it")
    elif (image_width, image_height) != (width, height):
        sys.exit(f"{path}: {image_width} x {image_height} pixels, expected {width} x {height}")
    else:
        corner = (0, 0)
    p, wrong, first = compare(pixels, image_width, corner[0], corner[1], kind, width, height)
    if wrong:
        sys.exit(f"{path}: {wrong} pixels differ from the board's picture; first: {first}")
    place = f" at ({corner[0]}, {corner[1]})" if within else ""
    print(f"{path}: {width} x {height} {kind}{place}, every pixel as the board's frame shows it "
          f"(frame and channel offset {p})")


if __name__ == "__main__":
    main()
