#!/usr/bin/env bash
# Redraws the header's sort arrows, two square images side by side (ascending,
# then descending) on the mask colour 0xC0C0C0: sortbmp.bmp at 100 % (7 x 7
# each), sortbmp_150.bmp drawn anew at 150 % (11 x 11) and sortbmp_200.bmp,
# the 100 % drawing with every pixel doubled.
set -euo pipefail
cd "$(dirname "$0")"

# $1: output name without extension; the rest: the rows, '#' the arrow colour.
draw() {
    local name=$1
    shift
    local width=${#1} height=$#
    {
        echo "P3 $width $height 255"
        for line in "$@"; do
            for ((i = 0; i < width; i++)); do
                if [ "${line:$i:1}" = "#" ]; then echo "64 64 64"; else echo "192 192 192"; fi
            done
        done
    } >"$name.ppm"
    convert "$name.ppm" -type TrueColor BMP3:"$name.bmp"
}

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
