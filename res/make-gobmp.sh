#!/usr/bin/env bash
# Redraws the address bar's go button, a green arrow pointing right, outlined
# dark green, on the transparent colour magenta (0xFF00FF): gobmp.bmp at 100 %
# (16 x 16), gobmp_150.bmp drawn anew at 150 % (24 x 24, the shaft four
# pixels thick) and gobmp_200.bmp, the 100 % drawing with every pixel doubled.
set -euo pipefail
cd "$(dirname "$0")"

source ./draw-bmp.sh

colour() {
    case "$1" in
    "#") echo "40 170 60" ;;
    "o") echo "0 90 20" ;;
    *) echo "255 0 255" ;;
    esac
}

draw gobmp \
    "................" \
    "................" \
    ".........o......" \
    ".........oo....." \
    ".........o#o...." \
    ".........o##o..." \
    "..oooooooo###o.." \
    "..o###########o." \
    "..o###########o." \
    "..oooooooo###o.." \
    ".........o##o..." \
    ".........o#o...." \
    ".........oo....." \
    ".........o......" \
    "................" \
    "................"
draw gobmp_150 \
    "........................" \
    "........................" \
    "........................" \
    ".............o.........." \
    ".............oo........." \
    ".............o#o........" \
    ".............o##o......." \
    ".............o###o......" \
    ".............o####o....." \
    "...ooooooooooo#####o...." \
    "...o################o..." \
    "...o#################o.." \
    "...o#################o.." \
    "...o################o..." \
    "...ooooooooooo#####o...." \
    ".............o####o....." \
    ".............o###o......" \
    ".............o##o......." \
    ".............o#o........" \
    ".............oo........." \
    ".............o.........." \
    "........................" \
    "........................" \
    "........................"
convert gobmp.ppm -scale 200% -type TrueColor BMP3:gobmp_200.bmp
rm gobmp.ppm gobmp_150.ppm
