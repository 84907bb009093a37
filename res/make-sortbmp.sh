#!/usr/bin/env bash
# Redraws the header's sort arrows, two square images side by side (ascending,
# then descending) on the mask colour 0xC0C0C0: sortbmp.bmp at 100 % (7 x 7
# each), sortbmp_150.bmp drawn anew at 150 % (11 x 11) and sortbmp_200.bmp,
# the 100 % drawing with every pixel doubled.
set -euo pipefail
cd "$(dirname "$0")"

source ./draw-bmp.sh

# '#' is the arrow; the rest is the header's grey.
colour() { if [ "$1" = "#" ]; then echo "64 64 64"; else echo "192 192 192"; fi; }

draw sortbmp \
    ".............." \
    "...#...#######" \
    "..###...#####." \
    ".#####...###.." \
    "#######...#..." \
    ".............." \
    ".............."
draw sortbmp_150 \
    "......................" \
    "......................" \
    ".....#.....###########" \
    "....###.....#########." \
    "...#####.....#######.." \
    "..#######.....#####..." \
    ".#########.....###...." \
    "###########.....#....." \
    "......................" \
    "......................" \
    "......................"
convert sortbmp.ppm -scale 200% -type TrueColor BMP3:sortbmp_200.bmp
rm sortbmp.ppm sortbmp_150.ppm
