#!/usr/bin/env python3
"""Draws the program's own pictures and stores them in the main window's form
description: the "Powered By" logo (88 x 33, 256 colours) and the glyph of the
project box's button (a small folder). Run it after changing a drawing:

    python3 src/app/res/make_app_res.py

Pictures are written as BMP files beside this script too, for looking at.
"""
import os
import re
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
FORM = os.path.join(HERE, "..", "forms", "mainfrm.qfm")

# A 5 x 7 pixel font: the letters the logo needs.
FONT = {
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "C": ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "F": ["11111", "10000", "10000", "11110", "10000", "10000", "10000"],
    "G": ["01110", "10001", "10000", "10111", "10001", "10001", "01111"],
    "H": ["10001", "10001", "10001", "11111", "10001", "10001", "10001"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "V": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    " ": ["00000"] * 7,
}


def bmp8(width, height, palette, pixels):
    """A bottom-up 8-bit BMP file; pixels[y][x] are palette indexes, top row first."""
    stride = (width + 3) & ~3
    bits = b"".join(bytes(row) + b"\0" * (stride - width) for row in reversed(pixels))
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    colours = len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(bits), 3780, 3780, colours, 0)
    offset = 14 + len(info) + len(pal)
    head = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    return head + info + pal + bits


def text_width(text, bold):
    return len(text) * (6 + (1 if bold else 0)) - 1


def draw_text(pixels, x0, y0, text, colour, bold=False):
    x = x0
    for ch in text:
        rows = FONT[ch]
        for dy, row in enumerate(rows):
            for dx, bit in enumerate(row):
                if bit == "1":
                    pixels[y0 + dy][x + dx] = colour
                    if bold:
                        pixels[y0 + dy][x + dx + 1] = colour
        x += 6 + (1 if bold else 0)


def logo():
    width, height = 88, 33
    # 0..127: the background gradient; 200..: fixed colours.
    palette = [(0, 0, 0)] * 256
    for i in range(128):
        t = i / 127
        palette[i] = (int(16 + 40 * t), int(24 + 80 * t), int(96 + 150 * t))
    WHITE, SHADOW, FRAME, QUILL, INK, GOLD = 200, 201, 202, 203, 204, 205
    palette[WHITE] = (255, 255, 255)
    palette[SHADOW] = (8, 12, 48)
    palette[FRAME] = (0, 0, 64)
    palette[QUILL] = (236, 232, 214)
    palette[INK] = (40, 40, 40)
    palette[GOLD] = (232, 192, 64)
    pixels = [[0] * width for _ in range(height)]
    for y in range(height):
        for x in range(width):
            pixels[y][x] = min(127, int((x + 2 * (height - y)) * 127 / (width + 2 * height)))
    for x in range(width):
        pixels[0][x] = pixels[height - 1][x] = FRAME
    for y in range(height):
        pixels[y][0] = pixels[y][width - 1] = FRAME
    # A quill on the left: a feather from the bottom-left up to the right.
    for i in range(16):
        x, y = 4 + i // 2, 27 - i
        pixels[y][x] = INK if i < 3 else QUILL
        if 3 <= i < 15:
            pixels[y][x + 1] = QUILL
            pixels[y][x + 2] = QUILL if i > 5 else pixels[y][x + 2]
    pixels[28][3] = INK
    # The maker's name with a drop shadow, and a line under it.
    name, sub = "VELMARCH", "GAME TOOLS"
    nx = 18 + (width - 18 - text_width(name, True)) // 2
    draw_text(pixels, nx + 1, 7, name, SHADOW, True)
    draw_text(pixels, nx, 6, name, WHITE, True)
    for x in range(nx, nx + text_width(name, True)):
        pixels[15][x] = GOLD
    sx = 18 + (width - 18 - text_width(sub, False)) // 2
    draw_text(pixels, sx, 19, sub, WHITE)
    return bmp8(width, height, palette, pixels)


def folder_glyph():
    # 14 x 12, 16 colours; the bottom-left pixel is the transparent colour.
    art = [
        "..............",
        "..KKKK........",
        ".KYYYYK.......",
        ".KYYYYKKKKKKK.",
        ".KYYYYYYYYYYK.",
        ".KYKKKKKKKKKKK",
        ".KYKWWWWWWWWWK",
        ".KKWWWWWWWWWK.",
        ".KKWWWWWWWWWK.",
        ".KWWWWWWWWWK..",
        ".KKKKKKKKKKK..",
        "..............",
    ]
    palette = [(0, 0, 0)] * 16
    palette[0] = (128, 128, 0)  # transparent (olive)
    palette[1] = (0, 0, 0)      # outline
    palette[2] = (192, 160, 32)  # folder back
    palette[3] = (255, 224, 96)  # folder front
    index = {".": 0, "K": 1, "Y": 2, "W": 3}
    pixels = [[index[c] for c in row] for row in art]
    return bmp8(len(art[0]), len(art), palette, pixels)


def hex_block(data, indent):
    text = data.hex().upper()
    lines = [text[i:i + 64] for i in range(0, len(text), 64)]
    return "{\n" + "\n".join(indent + line for line in lines) + "}"


def store(form, prop, data):
    pattern = re.compile(r"^( +)" + re.escape(prop) + r" = \{[^}]*\}", re.M)
    match = pattern.search(form)
    if not match:
        raise SystemExit("mainfrm.qfm has no " + prop)
    indent = match.group(1)
    return form[:match.start()] + indent + prop + " = " + hex_block(data, indent + "  ") + form[match.end():]


def main():
    pictures = {"logo.bmp": logo(), "folder.bmp": folder_glyph()}
    for name, data in pictures.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)
    with open(FORM, encoding="latin-1", newline="") as f:
        form = f.read()
    form = store(form, "Picture.Data", pictures["logo.bmp"])
    form = store(form, "Btn1Glyph.Data", pictures["folder.bmp"])
    form = store(form, "Btn2Glyph.Data", pictures["folder.bmp"])
    with open(FORM, "w", encoding="latin-1", newline="") as f:
        f.write(form)


if __name__ == "__main__":
    main()
