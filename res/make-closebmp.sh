#!/usr/bin/env bash
# Redraws the side bar's close button, a cross on the transparent colour
# magenta (0xFF00FF): closebmp.bmp at 100 % (10 x 10), closebmp_150.bmp drawn
# anew at 150 % (15 x 15, strokes three pixels wide) and closebmp_200.bmp, the
# 100 % drawing with every pixel doubled.
set -euo pipefail
cd "$(dirname "$0")"

# $1: output name without extension; the rest: the rows, '#' black.
draw() {
    local name=$1
    shift
    local width=${#1} height=$#
    {
        echo "P3 $width $height 255"
        for line in "$@"; do
            for ((i = 0; i < width; i++)); do
                if [ "${line:$i:1}" = "#" ]; then echo "0 0 0"; else echo "255 0 255"; fi
            done
        done
    } >"$name.ppm"
    convert "$name.ppm" -type TrueColor BMP3:"$name.bmp"
}

draw closebmp \
    ".........." \
    ".##....##." \
    "..##..##.." \
    "...####..." \
    "....##...." \
    "...####..." \
    "..##..##.." \
    ".##....##." \
    ".........." \
    ".........."
draw closebmp_150 \
    "..............." \
    "..............." \
    "..###.....###.." \
    "...###...###..." \
    "....###.###...." \
    ".....#####....." \
    "......###......" \
    ".....#####....." \
    "....###.###...." \
    "...###...###..." \
    "..###.....###.." \
    "..............." \
    "..............." \
    "..............." \
    "..............."
convert closebmp.ppm -scale 200% -type TrueColor BMP3:closebmp_200.bmp
rm closebmp.ppm closebmp_150.ppm
