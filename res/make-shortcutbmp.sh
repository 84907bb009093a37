#!/usr/bin/env bash
# Redraws the link mark drawn over a thumbnail, a white box with a dark frame
# and a bent arrow pointing up and right: shortcut.bmp at 100 % (16 x 16),
# shortcut_150.bmp drawn anew at 150 % (24 x 24) and shortcut_200.bmp, the
# 100 % drawing with every pixel doubled. It is copied as it is, so it has no
# transparent colour.
set -euo pipefail
cd "$(dirname "$0")"

source ./draw-bmp.sh

colour() {
    case "$1" in
    "#") echo "64 64 64" ;;
    "a") echo "0 0 160" ;;
    *) echo "255 255 255" ;;
    esac
}

draw shortcut \
    "################" \
    "#..............#" \
    "#.......aaaaaa.#" \
    "#........aaaaa.#" \
    "#.......aaaaaa.#" \
    "#......aaaa.aa.#" \
    "#.....aaaa...a.#" \
    "#....aaaa......#" \
    "#...aaaa.......#" \
    "#...aaa........#" \
    "#..aaa.........#" \
    "#..aaa.........#" \
    "#..aaa.........#" \
    "#..............#" \
    "#..............#" \
    "################"
draw shortcut_150 \
    "########################" \
    "#......................#" \
    "#......................#" \
    "#...........aaaaaaaaa..#" \
    "#............aaaaaaaa..#" \
    "#............aaaaaaaa..#" \
    "#...........aaaaaaaaa..#" \
    "#..........aaaaaaaaaa..#" \
    "#.........aaaaaa.aaaa..#" \
    "#........aaaaaa...aaa..#" \
    "#.......aaaaaa.....aa..#" \
    "#......aaaaaa.......a..#" \
    "#.....aaaaaa...........#" \
    "#....aaaaaa............#" \
    "#....aaaaa.............#" \
    "#....aaaa..............#" \
    "#....aaaa..............#" \
    "#....aaaa..............#" \
    "#....aaaa..............#" \
    "#....aaaa..............#" \
    "#......................#" \
    "#......................#" \
    "#......................#" \
    "########################"
convert shortcut.ppm -scale 200% -type TrueColor BMP3:shortcut_200.bmp
rm shortcut.ppm shortcut_150.ppm
