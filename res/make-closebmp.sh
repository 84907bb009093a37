#!/usr/bin/env bash
# Redraws the side bar's close button, a cross on the transparent colour
# magenta (0xFF00FF): closebmp.bmp at 100 % (10 x 10), closebmp_150.bmp drawn
# anew at 150 % (15 x 15, strokes three pixels wide) and closebmp_200.bmp, the
# 100 % drawing with every pixel doubled.
set -euo pipefail
cd "$(dirname "$0")"

source ./draw-bmp.sh

# '#' is black; the rest is the transparent magenta.
colour() { if [ "$1" = "#" ]; then echo "0 0 0"; else echo "255 0 255"; fi; }

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
