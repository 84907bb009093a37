#!/usr/bin/env bash
# Redraws dragcur2.cur: the tab bar's cursor while a tab is dragged to a new
# place, an arrow over a small tab outline; monochrome, hot spot at the arrow's
# tip. The file holds the cursor at 32 x 32 (100 %), drawn anew at 48 x 48
# (150 %) and at 64 x 64 (200 %, the 32 x 32 drawing with every pixel
# doubled): the system takes the one of its cursor size.
set -euo pipefail
cd "$(dirname "$0")"
python3 - <<'PY'
import struct

cursor32 = [
    "#...............................",
    "##..............................",
    "#o#.............................",
    "#oo#............................",
    "#ooo#...........................",
    "#oooo#..........................",
    "#ooooo#.........................",
    "#oooooo#........................",
    "#ooooooo#.......................",
    "#oooo#####......................",
    "#oo#oo#.........................",
    "#o#.#oo#........................",
    "##..#oo#........................",
    "#....#oo#.......................",
    ".....#oo#.......................",
    "......##........................",
    "................................",
    "........#########...............",
    "........#ooooooo#...............",
    "........#ooooooo#...............",
    "......###ooooooo###########.....",
    "......#ooooooooooooooooooo#.....",
    "......#ooooooooooooooooooo#.....",
    "......#####################.....",
] + ["." * 32] * 8


def cursor48():
    rows = [["."] * 48 for _ in range(48)]

    def put(y, x, c):
        rows[y][x] = c

    # The arrow's head: a right triangle one pixel wider on every row.
    put(0, 0, "#")
    put(1, 0, "#"), put(1, 1, "#")
    for y in range(2, 13):
        put(y, 0, "#")
        for x in range(1, y):
            put(y, x, "o")
        put(y, y, "#")
    put(13, 0, "#")
    for x in range(1, 10):
        put(13, x, "o")
    for x in range(10, 14):
        put(13, x, "#")
    # The lower left lobe of the head, narrowing to the left edge.
    for y, inside in zip(range(14, 20), (4, 3, 2, 1, 0, -1)):
        put(y, 0, "#")
        for x in range(1, inside + 1):
            put(y, x, "o")
        if inside >= 0:
            put(y, inside + 1, "#")
    # The tail, three pixels wide, one to the right every two rows.
    for y in range(14, 23):
        left = 6 + (y - 14) // 2
        put(y, left, "#")
        for x in range(left + 1, left + 4):
            put(y, x, "o")
        put(y, left + 4, "#")
    for x in range(11, 14):
        put(23, x, "#")
    # The tab outline below it.
    for x in range(12, 26):
        put(26, x, "#")
    for y in range(27, 31):
        put(y, 12, "#"), put(y, 25, "#")
        for x in range(13, 25):
            put(y, x, "o")
    for x in list(range(9, 13)) + list(range(25, 41)):
        put(30, x, "#")
    for y in range(31, 35):
        put(y, 9, "#"), put(y, 40, "#")
        for x in range(10, 40):
            put(y, x, "o")
    for x in range(9, 41):
        put(35, x, "#")
    return ["".join(row) for row in rows]


def doubled(rows):
    return [line.replace("#", "##").replace("o", "oo").replace(".", "..") for line in rows for _ in (0, 1)]


# '#' black, 'o' white, '.' transparent; rows are stored bottom-up, each
# padded to whole 32-bit words.
def image(rows):
    side = len(rows)
    stride = (side + 31) // 32 * 4
    xor_mask = and_mask = b""
    for line in reversed(rows):
        xor_bits = and_bits = 0
        for x, c in enumerate(line):
            bit = 1 << (stride * 8 - 1 - x)
            if c == "o":
                xor_bits |= bit
            elif c == ".":
                and_bits |= bit
        xor_mask += xor_bits.to_bytes(stride, "big")
        and_mask += and_bits.to_bytes(stride, "big")
    header = struct.pack("<IiiHHIIiiII", 40, side, 2 * side, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = struct.pack("<II", 0x000000, 0xFFFFFF)
    return header + palette + xor_mask + and_mask


images = [(32, image(cursor32)), (48, image(cursor48())), (64, image(doubled(cursor32)))]
offset = 6 + 16 * len(images)
directory = struct.pack("<HHH", 0, 2, len(images))
for side, data in images:
    directory += struct.pack("<BBBBHHII", side % 256, side % 256, 0, 0, 0, 0, len(data), offset)
    offset += len(data)
open("dragcur2.cur", "wb").write(directory + b"".join(data for _, data in images))
PY
