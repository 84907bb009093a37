#!/usr/bin/env bash
# Redraws dragcur2.cur: the tab bar's cursor while a tab is dragged to a new
# place, an arrow over a small tab outline; 32 x 32, monochrome, hot spot at
# the arrow's tip.
set -euo pipefail
cd "$(dirname "$0")"
python3 - <<'PY'
import struct
rows = [
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
# '#' black, 'o' white, '.' transparent; rows are stored bottom-up.
xor_mask = b""
and_mask = b""
for line in reversed(rows):
    xor_bits = and_bits = 0
    for x, c in enumerate(line):
        bit = 1 << (31 - x)
        if c == "o":
            xor_bits |= bit
        elif c == ".":
            and_bits |= bit
    xor_mask += struct.pack(">I", xor_bits)
    and_mask += struct.pack(">I", and_bits)
header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, 0, 0, 0, 2, 0)
palette = struct.pack("<II", 0x000000, 0xFFFFFF)
image = header + palette + xor_mask + and_mask
directory = struct.pack("<HHH", 0, 2, 1) + struct.pack("<BBBBHHII", 32, 32, 0, 0, 0, 0, len(image), 22)
open("dragcur2.cur", "wb").write(directory + image)
PY
