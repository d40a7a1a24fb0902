#!/usr/bin/env python3
"""Draws the stub's application icon: one 32x32 image of 16 colours.

The picture is a box with a downward arrow (an installer's usual sign),
drawn from a small character map so that it can be changed and rebuilt
without an image editor. Usage: make_icon.py OUTPUT.ico
"""
import struct
import sys

# The 16-colour VGA palette, as (blue, green, red, 0) quads.
PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128),
    (128, 0, 0), (128, 0, 128), (128, 128, 0), (192, 192, 192),
    (128, 128, 128), (0, 0, 255), (0, 255, 0), (0, 255, 255),
    (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255),
]  # given as (red, green, blue)

# '.' transparent, 'k' black outline, 'b' blue box, 'w' white, 'g' green arrow.
COLOURS = {"k": 0, "b": 12, "w": 15, "g": 10, "d": 2, "y": 14}
PICTURE = [
    "................................",
    "............kkkkkkkk............",
    "............kggggggk............",
    "............kggggggk............",
    "............kggggggk............",
    "............kggggggk............",
    "............kggggggk............",
    "............kggggggk............",
    "........kkkkkggggggkkkkk........",
    ".........kggggggggggggk.........",
    "..........kggggggggggk..........",
    "...........kggggggggk...........",
    "....kkkkkkkkkggggggkkkkkkkkk....",
    "....kwwwwwwwwkggggkwwwwwwwwk....",
    "....kwwwwwwwwwkggkwwwwwwwwwk....",
    "....kwwwwwwwwwwkkwwwwwwwwwwk....",
    "...kkkkkkkkkkkkkkkkkkkkkkkkkk...",
    "...kbbbbbbbbbbbbbbbbbbbbbbbbk...",
    "...kbbbbbbbbbbbbbbbbbbbbbbbbk...",
    "...kbbbbbbbbbbbbbbbbbbbbbbbbk...",
    "...kbbbbbbbyyyyyyyyyybbbbbbbk...",
    "...kbbbbbbbyyyyyyyyyybbbbbbbk...",
    "...kbbbbbbbbbbbbbbbbbbbbbbbbk...",
    "...kbbbbbbbbbbbbbbbbbbbbbbbbk...",
    "...kbbbbbbbbbbbbbbbbbbbbbbbbk...",
    "...kbbbbbbbbbbbbbbbbbbbbbbbbk...",
    "...kbbbbbbbbbbbbbbbbbbbbbbbbk...",
    "...kbbbbbbbbbbbbbbbbbbbbbbbbk...",
    "...kbbbbbbbbbbbbbbbbbbbbbbbbk...",
    "...kkkkkkkkkkkkkkkkkkkkkkkkkk...",
    "................................",
    "................................",
]
SIZE = 32


def image_bytes():
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 4, 0,
                         SIZE * SIZE // 2 + SIZE * SIZE // 8, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    colour_rows, mask_rows = [], []
    for row in reversed(PICTURE):  # bitmaps are stored bottom-up
        nibbles = [COLOURS.get(c, 0) for c in row]
        colour_rows.append(bytes(nibbles[i] << 4 | nibbles[i + 1] for i in range(0, SIZE, 2)))
        mask = 0
        for c in row:
            mask = mask << 1 | (c == ".")
        mask_rows.append(struct.pack(">I", mask))
    return header + palette + b"".join(colour_rows) + b"".join(mask_rows)


def main():
    image = image_bytes()
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    with open(sys.argv[1], "wb") as output:
        output.write(directory + entry + image)


if __name__ == "__main__":
    main()
