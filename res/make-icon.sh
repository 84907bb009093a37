#!/usr/bin/env bash
# Redraws ZEKO.ico (application icon: a folder with tabs and a Z) with ImageMagick.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
convert -size 256x256 xc:none \
    -fill '#2F6FD0' -stroke '#1B4C96' -strokewidth 6 -draw "roundrectangle 20,40 104,96 14,14" \
    -fill '#7FA9E8' -stroke '#1B4C96' -strokewidth 6 -draw "roundrectangle 96,48 172,96 14,14" \
    -fill '#F2C14E' -stroke '#B98512' -strokewidth 8 -draw "roundrectangle 12,72 244,236 22,22" \
    -fill '#FFD978' -stroke none -draw "roundrectangle 24,88 232,120 12,12" \
    -fill '#1B4C96' -stroke none -draw "polygon 70,128 190,128 190,150 110,206 190,206 190,228 66,228 66,206 146,150 70,150" \
    "$tmp/icon256.png"
for s in 16 24 32 48 64; do
    convert "$tmp/icon256.png" -resize ${s}x${s} "$tmp/icon$s.png"
done
convert "$tmp/icon16.png" "$tmp/icon24.png" "$tmp/icon32.png" "$tmp/icon48.png" "$tmp/icon64.png" "$tmp/icon256.png" ZEKO.ico
rm -rf "$tmp"
