#!/usr/bin/env bash
# Redraws hand.bmp: the shared-item mark drawn over a thumbnail, a 16 x 16 open
# hand held out from below on white. It is combined with the picture by AND,
# so white leaves the picture as it is and the hand tints and outlines it.
set -euo pipefail
cd "$(dirname "$0")"
rows=(
"................"
"................"
"......#.#.#....."
".....#o#o#o#...."
".....#o#o#o#.#.."
".....#o#o#o##o#."
"..##.#ooooo#o#.."
".#oo##ooooooo#.."
"..#oo#ooooooo#.."
"...#ooooooooo#.."
"....#ooooooo#..."
".....#ooooo#...."
".....#sssss#...."
".....#sssss#...."
".....#######...."
"................"
)
{
    echo "P3 16 16 255"
    for line in "${rows[@]}"; do
        for ((i = 0; i < 16; i++)); do
            case "${line:$i:1}" in
            "#") echo "32 32 32" ;;
            "o") echo "255 224 176" ;;
            "s") echo "64 96 192" ;;
            *) echo "255 255 255" ;;
            esac
        done
    done
} >hand.ppm
convert hand.ppm -type TrueColor BMP3:hand.bmp
rm hand.ppm
