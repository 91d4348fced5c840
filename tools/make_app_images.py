#!/usr/bin/env python3
"""Writes the program icon (resources/images/talvenor.ico) and the splash picture
(resources/images/splash.bmp): plain shapes, so the pictures need no drawing program."""
import os
import struct

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "images")
BLUE = (0x9A, 0x4E, 0x1F)   # BGR
LIGHT = (0xF0, 0xF0, 0xF0)
MID = (0xC0, 0x6E, 0x2F)


def bars_pixel(x, y, size):
    # Four rising bars on blue; y counts from the top.
    unit = size / 32.0
    bars = [(4, 20), (11, 14), (18, 8), (25, 4)]
    for left, top in bars:
        if left * unit <= x < (left + 5) * unit and top * unit <= y < 28 * unit:
            return LIGHT
    return BLUE


def dib(width, height, pixel, with_mask):
    rows = []
    for y in reversed(range(height)):  # bottom-up
        row = b"".join(bytes(pixel(x, y, width)) for x in range(width))
        row += b"\0" * ((4 - len(row) % 4) % 4)
        rows.append(row)
    data = b"".join(rows)
    header_height = height * 2 if with_mask else height
    header = struct.pack("<IiiHHIIiiII", 40, width, header_height, 1, 24, 0, len(data), 0, 0, 0, 0)
    mask = b""
    if with_mask:
        mask_row = ((width + 31) // 32) * 4
        mask = b"\0" * (mask_row * height)
    return header + data + mask


def write_icon(path):
    images = [dib(size, size, bars_pixel, True) for size in (32, 16)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip((32, 16), images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 24, len(image), offset)
        offset += len(image)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


def splash_pixel(x, y, _):
    # A curve over a darker band, in the icon's colours.
    if y >= 140:
        return MID
    points = [(20, 120), (60, 60), (100, 100), (140, 40), (180, 90), (220, 30), (260, 80),
              (300, 50), (340, 70)]
    for (x0, y0), (x1, y1) in zip(points, points[1:]):
        if x0 <= x <= x1:
            yc = y0 + (y1 - y0) * (x - x0) / (x1 - x0)
            if abs(y - yc) <= 2:
                return LIGHT
    return BLUE


def write_bitmap(path, width, height):
    body = dib(width, height, splash_pixel, False)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", 14 + len(body), 0, 0, 14 + 40) + body)


if __name__ == "__main__":
    os.makedirs(ROOT, exist_ok=True)
    write_icon(os.path.join(ROOT, "talvenor.ico"))
    write_bitmap(os.path.join(ROOT, "splash.bmp"), 360, 180)
