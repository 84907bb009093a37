#!/usr/bin/env bash
# Redraws the tab bar's navigate-lock mark, a small square on the transparent
# colour magenta (0xFF00FF): sikaku.bmp at 100 % (8 x 8), sikaku_150.bmp drawn
# anew at 150 % (12 x 12) and sikaku_200.bmp, the 100 % drawing with every
# pixel doubled.
set -euo pipefail
cd "$(dirname "$0")"

source ./draw-bmp.sh

colour() {
    case "$1" in
    "#") echo "96 32 32" ;;
    "o") echo "224 64 48" ;;
    *) echo "255 0 255" ;;
    esac
}

draw sikaku \
    "........" \
    ".######." \
    ".#oooo#." \
    ".#oooo#." \
    ".#oooo#." \
    ".#oooo#." \
    ".######." \
    "........"
draw sikaku_150 \
    "............" \
    "............" \
    "..########.." \
    "..#oooooo#.." \
    "..#oooooo#.." \
    "..#oooooo#.." \
    "..#oooooo#.." \
    "..#oooooo#.." \
    "..#oooooo#.." \
    "..########.." \
    "............" \
    "............"
convert sikaku.ppm -scale 200% -type TrueColor BMP3:sikaku_200.bmp
rm sikaku.ppm sikaku_150.ppm
