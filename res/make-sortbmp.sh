#!/usr/bin/env bash
# Redraws sortbmp.bmp: the header's sort arrows, two 7 x 7 images side by side
# (ascending, then descending) on the mask colour 0xC0C0C0.
set -euo pipefail
cd "$(dirname "$0")"
rows=(
".............."
"...#...#######"
"..###...#####."
".#####...###.."
"#######...#..."
".............."
".............."
)
{
    echo "P3 14 7 255"
    for line in "${rows[@]}"; do
        for ((i = 0; i < 14; i++)); do
            if [ "${line:$i:1}" = "#" ]; then echo "64 64 64"; else echo "192 192 192"; fi
        done
    done
} >sortbmp.ppm
convert sortbmp.ppm -type TrueColor BMP3:sortbmp.bmp
rm sortbmp.ppm
