#!/usr/bin/env bash
# Sets up what is missing, builds, and runs the folder view benchmark in its own
# Wine prefix on a private X server. The test folders are made once and kept in
# that prefix (C:\zeko-bench).
set -euo pipefail
source "$(dirname "$0")/common.sh"

install_packages
build_zeko

wine_env "$BUILD_DIR/bench-prefix" "$BUILD_DIR/bench-home"
make_prefix

# The folders are made from the Linux side: under Wine every file created in a
# large folder scans the whole folder first, which takes an hour for 100,000.
make_bench_folder() {
    local dir="$WINEPREFIX/drive_c/zeko-bench/$1"
    [ -f "$dir/.complete" ] && return 0
    rm -rf "$dir"
    mkdir -p "$dir"
    (cd "$dir" && seq -f "$2%06g$3" 0 $(($4 - 1)) | xargs $5)
    touch "$dir/.complete"
}
make_bench_folder files-1000 file .txt 1000 touch
make_bench_folder files-10000 file .txt 10000 touch
make_bench_folder folders-10000 dir "" 10000 "mkdir -p"
make_bench_folder files-100000 file .txt 100000 touch

# 10,000 files of which every tenth is a picture: four sources made once with
# ImageMagick (a photo-sized JPEG, a PNG, a BMP and a GIF), linked under
# many names; decoding costs the same whatever the name.
make_thumbs_folder() {
    local dir="$WINEPREFIX/drive_c/zeko-bench/thumbs-10000"
    [ -f "$dir/.complete" ] && return 0
    rm -rf "$dir"
    mkdir -p "$dir/.sources"
    (
        cd "$dir/.sources"
        convert -size 1600x1200 plasma:red-blue -quality 85 photo.jpg
        convert -size 640x480 gradient:yellow-green picture.png
        convert -size 320x240 plasma:green-white -type TrueColor BMP3:picture.bmp
        convert -size 200x200 radial-gradient:white-purple picture.gif
    )
    local sources=(photo.jpg picture.png picture.bmp picture.gif)
    (
        cd "$dir"
        seq 0 9999 | awk '$1 % 10 != 0 { printf "file%05d.txt\n", $1 }' | xargs touch
        for ((i = 0; i < 10000; i += 10)); do
            local source=${sources[$(((i / 10) % 4))]}
            ln ".sources/$source" "$(printf 'file%05d.%s' "$i" "${source##*.}")"
        done
    )
    touch "$dir/.complete"
}
make_thumbs_folder
unset DISPLAY
start_xvfb
"$WINESERVER" -p >/dev/null 2>&1 </dev/null
trap '"$WINESERVER" -k >/dev/null 2>&1 || true; kill "$XVFB_PID" >/dev/null 2>&1 || true' EXIT
"$WINE" "$BUILD_DIR/bin/zeko_bench.exe" "$@" | tr -d "\r"
