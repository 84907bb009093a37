# Sourced by the make-*.sh scripts that draw a bitmap from rows of characters.
# The script defines colour(), which prints the "r g b" of one character.

# $1: output name without extension; the rest: the rows. Leaves $1.ppm for
# the script to scale or remove.
draw() {
    local name=$1
    shift
    local width=${#1} height=$#
    {
        echo "P3 $width $height 255"
        for line in "$@"; do
            for ((i = 0; i < width; i++)); do
                colour "${line:$i:1}"
            done
        done
    } >"$name.ppm"
    convert "$name.ppm" -type TrueColor BMP3:"$name.bmp"
}
