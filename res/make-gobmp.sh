#!/usr/bin/env bash
# Redraws gobmp.bmp: the address bar's go button, a 16 x 16 green arrow
# pointing right, outlined dark green, on the transparent colour magenta
# (0xFF00FF).
set -euo pipefail
cd "$(dirname "$0")"
rows=(
"................"
"................"
".........o......"
".........oo....."
".........o#o...."
".........o##o..."
"..oooooooo###o.."
"..o###########o."
"..o###########o."
"..oooooooo###o.."
".........o##o..."
".........o#o...."
".........oo....."
".........o......"
"................"
"................"
)
{
    echo "P3 16 16 255"
    for line in "${rows[@]}"; do
        for ((i = 0; i < 16; i++)); do
            case "${line:$i:1}" in
            "#") echo "40 170 60" ;;
            "o") echo "0 90 20" ;;
            *) echo "255 0 255" ;;
            esac
        done
    done
} >gobmp.ppm
convert gobmp.ppm -type TrueColor BMP3:gobmp.bmp
rm gobmp.ppm
