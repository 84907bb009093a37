#!/usr/bin/env bash
# Redraws the shared-item mark drawn over a thumbnail, an open hand held out
# from below on white: hand.bmp at 100 % (16 x 16), hand_150.bmp drawn anew at
# 150 % (24 x 24) and hand_200.bmp, the 100 % drawing with every pixel doubled.
# It is combined with the picture by AND, so white leaves the picture as it is
# and the hand tints and outlines it.
set -euo pipefail
cd "$(dirname "$0")"

source ./draw-bmp.sh

colour() {
    case "$1" in
    "#") echo "32 32 32" ;;
    "o") echo "255 224 176" ;;
    "s") echo "64 96 192" ;;
    *) echo "255 255 255" ;;
    esac
}

draw hand \
    "................" \
    "................" \
    "......#.#.#....." \
    ".....#o#o#o#...." \
    ".....#o#o#o#.#.." \
    ".....#o#o#o##o#." \
    "..##.#ooooo#o#.." \
    ".#oo##ooooooo#.." \
    "..#oo#ooooooo#.." \
    "...#ooooooooo#.." \
    "....#ooooooo#..." \
    ".....#ooooo#...." \
    ".....#sssss#...." \
    ".....#sssss#...." \
    ".....#######...." \
    "................"
draw hand_150 \
    "........................" \
    "........................" \
    "........................" \
    "........##.##.##........" \
    ".......#oo#oo#oo#......." \
    ".......#oo#oo#oo#......." \
    ".......#oo#oo#oo#..##..." \
    ".......#oo#oo#oo#.#oo#.." \
    ".......#oo#oo#oo##oo#..." \
    "....##.#oooooooo#oo#...." \
    "...#oo##ooooooooooo#...." \
    "....#oo#ooooooooooo#...." \
    ".....#ooooooooooooo#...." \
    ".....#ooooooooooooo#...." \
    "......#oooooooooooo#...." \
    "......#ooooooooooo#....." \
    ".......#ooooooooo#......" \
    ".......#oooooooo#......." \
    ".......#ssssssss#......." \
    ".......#ssssssss#......." \
    ".......#ssssssss#......." \
    ".......##########......." \
    "........................" \
    "........................"
convert hand.ppm -scale 200% -type TrueColor BMP3:hand_200.bmp
rm hand.ppm hand_150.ppm
