#!/usr/bin/env python3
"""Renders planora.svg to the PNG sizes the program uses and packs planora.ico.

The icon file holds 16, 32 and 48 pixel images at 32-bit colour (with alpha)
and at 8-bit colour (a palette and a transparency mask), for Windows versions
and shells that pick the one or the other. Needs rsvg-convert (librsvg2-bin)
and convert (imagemagick); run it after changing the SVG and commit the output.
"""
import struct
import subprocess
from pathlib import Path

HERE = Path(__file__).resolve().parent
SIZES = (16, 32, 48)


def run(*command):
    return subprocess.run(command, check=True, capture_output=True).stdout


def rgba_pixels(png, size):
    raw = run("convert", str(png), "-depth", "8", "rgba:-")
    return [tuple(raw[i:i + 4]) for i in range(0, size * size * 4, 4)]


def quantized_rgb(png, size):
    """The image's colours reduced to at most 255, without dithering."""
    raw = run("convert", str(png), "-alpha", "off", "+dither", "-colors", "255", "-depth", "8", "rgb:-")
    return [tuple(raw[i:i + 3]) for i in range(0, size * size * 3, 3)]


def and_mask(transparent, size):
    """1 bit a pixel, bottom row first, rows padded to 32 bits."""
    row_bytes = (size + 31) // 32 * 4
    mask = bytearray()
    for y in reversed(range(size)):
        row = bytearray(row_bytes)
        for x in range(size):
            if transparent[y * size + x]:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return bytes(mask)


def dib_header(size, bit_count, colours):
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bit_count, 0, 0, 0, 0, colours, 0)


def image_32(pixels, size):
    rows = bytearray()
    for y in reversed(range(size)):
        for r, g, b, a in pixels[y * size:(y + 1) * size]:
            rows += bytes((b, g, r, a))
    return dib_header(size, 32, 0) + bytes(rows) + and_mask([p[3] == 0 for p in pixels], size)


def image_8(pixels, colours, size):
    transparent = [p[3] < 128 for p in pixels]
    palette = [(0, 0, 0)]  # index 0 stands under the transparent pixels
    index = {}
    for colour, clear in zip(colours, transparent):
        if not clear and colour not in index:
            index[colour] = len(palette)
            palette.append(colour)
    assert len(palette) <= 256
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette) + bytes(4 * (256 - len(palette)))
    row_bytes = (size + 3) // 4 * 4
    rows = bytearray()
    for y in reversed(range(size)):
        row = bytearray(row_bytes)
        for x in range(size):
            i = y * size + x
            row[x] = 0 if transparent[i] else index[colours[i]]
        rows += row
    return dib_header(size, 8, 256) + table + bytes(rows) + and_mask(transparent, size)


def main():
    entries = []
    for size in SIZES:
        png = HERE / f"planora-{size}.png"
        subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size), str(HERE / "planora.svg"), "-o", str(png)],
                       check=True)
        pixels = rgba_pixels(png, size)
        entries.append((size, 32, image_32(pixels, size)))
        entries.append((size, 8, image_8(pixels, quantized_rgb(png, size), size)))

    header = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    directory = b""
    for size, bit_count, data in entries:
        directory += struct.pack("<BBBBHHII", size, size, 0, 0, 1, bit_count, len(data), offset)
        offset += len(data)
    (HERE / "planora.ico").write_bytes(header + directory + b"".join(data for _, _, data in entries))


if __name__ == "__main__":
    main()
