#!/usr/bin/env bash
# Redraws sikaku.bmp: the tab bar's navigate-lock mark, a small 8 x 8 square on
# the transparent colour magenta (0xFF00FF).
set -euo pipefail
cd "$(dirname "$0")"
rows=(
"........"
".######."
".#oooo#."
".#oooo#."
".#oooo#."
".#oooo#."
".######."
"........"
)
{
    echo "P3 8 8 255"
    for line in "${rows[@]}"; do
        for ((i = 0; i < 8; i++)); do
            case "${line:$i:1}" in
            "#") echo "96 32 32" ;;
            "o") echo "224 64 48" ;;
            *) echo "255 0 255" ;;
            esac
        done
    done
} >sikaku.ppm
convert sikaku.ppm -type TrueColor BMP3:sikaku.bmp
rm sikaku.ppm
