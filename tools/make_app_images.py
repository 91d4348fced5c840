#!/usr/bin/env python3
"""Writes the program icon (resources/images/talvenor.ico), the splash picture
(resources/images/splash.bmp), the main toolbar's buttons (toolbar.bmp) and the status bar's
lock-state icons (lock_*.ico) and the channel tree's check boxes (tree_*.ico): plain shapes, so the pictures need no drawing program."""
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


def write_bitmap(path, width, height, pixel=splash_pixel):
    body = dib(width, height, pixel, False)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", 14 + len(body), 0, 0, 14 + 40) + body)


GREY = (0xC0, 0xC0, 0xC0)   # the button face the toolbar shows through
DARK = (0x40, 0x40, 0x40)
WHITE = (0xFF, 0xFF, 0xFF)
YELLOW = (0x00, 0xC0, 0xF0)
GREEN = (0x20, 0x90, 0x20)
RED = (0x20, 0x20, 0xC0)


def inside(x, y, left, top, right, bottom):
    return left <= x <= right and top <= y <= bottom


def frame(x, y, left, top, right, bottom):
    return inside(x, y, left, top, right, bottom) and (
        x in (left, right) or y in (top, bottom))


# One 16 x 15 picture per toolbar button, in the order of the toolbar resource: new, open,
# save, print, print preview, about.
def new_button(x, y):
    if frame(x, y, 3, 1, 12, 14):
        return DARK
    return WHITE if inside(x, y, 3, 1, 12, 14) else None


def open_button(x, y):
    if frame(x, y, 1, 5, 13, 13):
        return DARK
    if inside(x, y, 1, 5, 13, 13):
        return YELLOW
    return DARK if frame(x, y, 1, 3, 6, 5) else None


def save_button(x, y):
    if frame(x, y, 1, 1, 14, 14):
        return DARK
    if inside(x, y, 4, 2, 11, 6):
        return WHITE
    return BLUE if inside(x, y, 1, 1, 14, 14) else None


def print_button(x, y):
    if inside(x, y, 4, 1, 11, 5):
        return WHITE if not frame(x, y, 4, 1, 11, 5) else DARK
    if frame(x, y, 1, 6, 14, 11):
        return DARK
    return GREY if inside(x, y, 1, 6, 14, 11) else None


def preview_button(x, y):
    if frame(x, y, 2, 1, 10, 13):
        return DARK
    if (x - 10) ** 2 + (y - 9) ** 2 <= 9:
        return BLUE
    return WHITE if inside(x, y, 2, 1, 10, 13) else None


def about_button(x, y):
    if (x - 7) ** 2 + (y - 7) ** 2 <= 42:
        if x in (7, 8) and (y in (3, 4) or 6 <= y <= 11):
            return WHITE
        return BLUE
    return None


BUTTONS = [new_button, open_button, save_button, print_button, preview_button, about_button]


def toolbar_pixel(x, y, _):
    colour = BUTTONS[x // 16](x % 16, y)
    return colour if colour else GREY


def lock_pixel(body_colour, shackle_open):
    def pixel(x, y, _):
        if inside(x, y, 3, 7, 12, 14):
            return DARK if frame(x, y, 3, 7, 12, 14) else body_colour
        left, right = (5, 10) if not shackle_open else (10, 15)
        if shackle_open and y >= 5 and x == left:
            return GREY  # the shackle's left leg stands out of the body
        if frame(x, y, left, 1, right, 7) and not (y == 7 and left < x < right):
            return DARK
        return GREY
    return pixel


def check_box_pixel(checked):
    # A box on the tree's white background; the tick runs down to (6, 10) and up to (11, 5).
    def pixel(x, y, _):
        if not inside(x, y, 2, 2, 13, 13):
            return WHITE
        if frame(x, y, 2, 2, 13, 13):
            return DARK
        if checked and ((4 <= x <= 6 and y in (x + 4, x + 3)) or
                        (6 <= x <= 11 and y in (16 - x, 15 - x))):
            return DARK
        return WHITE
    return pixel


def write_icon_16(path, pixel):
    image = dib(16, 16, pixel, True)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, 1))
        f.write(struct.pack("<BBBBHHII", 16, 16, 0, 0, 1, 24, len(image), 6 + 16))
        f.write(image)


if __name__ == "__main__":
    os.makedirs(ROOT, exist_ok=True)
    write_icon(os.path.join(ROOT, "talvenor.ico"))
    write_bitmap(os.path.join(ROOT, "splash.bmp"), 360, 180)
    write_bitmap(os.path.join(ROOT, "toolbar.bmp"), 16 * len(BUTTONS), 15, toolbar_pixel)
    write_icon_16(os.path.join(ROOT, "lock_closed.ico"), lock_pixel(RED, False))
    write_icon_16(os.path.join(ROOT, "lock_none.ico"), lock_pixel(GREY, False))
    write_icon_16(os.path.join(ROOT, "lock_opened.ico"), lock_pixel(GREEN, True))
    write_icon_16(os.path.join(ROOT, "tree_checked.ico"), check_box_pixel(True))
    write_icon_16(os.path.join(ROOT, "tree_unchecked.ico"), check_box_pixel(False))
