#!/usr/bin/env bash
# Redraws closebmp.bmp: the side bar's close button, a 10 x 10 cross on the
# transparent colour magenta (0xFF00FF).
set -euo pipefail
cd "$(dirname "$0")"
rows=(
".........."
".##....##."
"..##..##.."
"...####..."
"....##...."
"...####..."
"..##..##.."
".##....##."
".........."
".........."
)
{
    echo "P3 10 10 255"
    for line in "${rows[@]}"; do
        for ((i = 0; i < 10; i++)); do
            case "${line:$i:1}" in
            "#") echo "0 0 0" ;;
            *) echo "255 0 255" ;;
            esac
        done
    done
} >closebmp.ppm
convert closebmp.ppm -type TrueColor BMP3:closebmp.bmp
rm closebmp.ppm
