#!/usr/bin/env bash
# Redraws shortcut.bmp: the link mark drawn over a thumbnail, a 16 x 16 white
# box with a dark frame and a bent arrow pointing up and right. It is copied
# as it is, so it has no transparent colour.
set -euo pipefail
cd "$(dirname "$0")"
rows=(
"################"
"#..............#"
"#.......aaaaaa.#"
"#........aaaaa.#"
"#.......aaaaaa.#"
"#......aaaa.aa.#"
"#.....aaaa...a.#"
"#....aaaa......#"
"#...aaaa.......#"
"#...aaa........#"
"#..aaa.........#"
"#..aaa.........#"
"#..aaa.........#"
"#..............#"
"#..............#"
"################"
)
{
    echo "P3 16 16 255"
    for line in "${rows[@]}"; do
        for ((i = 0; i < 16; i++)); do
            case "${line:$i:1}" in
            "#") echo "64 64 64" ;;
            "a") echo "0 0 160" ;;
            *) echo "255 255 255" ;;
            esac
        done
    done
} >shortcut.ppm
convert shortcut.ppm -type TrueColor BMP3:shortcut.bmp
rm shortcut.ppm
