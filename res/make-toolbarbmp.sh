#!/usr/bin/env bash
# Redraws toolbarbmp.bmp (15 images of 16 x 16 in one strip) and
# bigtoolbarbmp.bmp (the same 15 at 24 x 24): the toolbar's own button images,
# in the order of their image codes 0 to 14, and each strip for 150 % and
# 200 % (_150, _200). Each image is drawn once on a 16-unit grid and drawn
# again at every size, without blending, so that its lines stay hard; 200 %
# doubles the pixels of the 100 % strip. The background is the light
# grey 0xC0C0C0 of an 8-bit palette, which loading with LR_LOADMAP3DCOLORS
# turns into the button face the toolbar leaves transparent; the images
# themselves avoid the three greys that loading remaps.
set -euo pipefail
cd "$(dirname "$0")"

navy="rgb(0,0,128)"
ink="rgb(48,48,48)"
red="rgb(200,0,0)"
yellow="rgb(255,208,64)"
brown="rgb(160,112,0)"
green="rgb(0,144,0)"
blue="rgb(64,128,255)"

# A window: white body, navy frame and title bar.
window() { # left top right bottom
    echo "fill white stroke $navy rectangle $1,$2 $3,$4 fill $navy rectangle $1,$2 $3,$(($2 + 2))"
}
# A folder: tab and body in yellow with a brown edge.
folder() { # left top right bottom
    echo "fill $yellow stroke $brown polygon $1,$(($2 + 2)) $(($1 + 1)),$2 $(($1 + 5)),$2 $(($1 + 6)),$(($2 + 2)) $3,$(($2 + 2)) $3,$4 $1,$4"
}
cross() { # left top size
    echo "stroke $red stroke-width 2 line $1,$2 $(($1 + $3)),$(($2 + $3)) line $(($1 + $3)),$2 $1,$(($2 + $3)) stroke-width 1"
}

images=(
    # 0 the folder tree
    "stroke $ink line 3,5 3,13 line 3,8 6,8 line 3,13 6,13 $(folder 0 1 7 5) $(folder 7 5 14 10) $(folder 7 10 14 15)"
    # 1 refresh: a circling arrow
    "fill none stroke $green stroke-width 2 arc 2,2 13,13 200,480 stroke-width 1 fill $green stroke $green polygon 8,0 12,3 8,6"
    # 2 options: a dialog with two sliders
    "$(window 1 1 14 14) stroke $ink line 3,7 12,7 line 3,11 12,11 fill $blue stroke $navy rectangle 5,5 7,9 rectangle 9,9 11,13"
    # 3 navigate lock: a padlock
    "fill none stroke $ink stroke-width 2 arc 4,1 11,11 180,360 line 4,6 4,8 line 11,6 11,8 stroke-width 1 fill $yellow stroke $brown rectangle 2,7 13,14 fill $brown point 7,10 point 8,10 point 7,11 point 8,11"
    # 4 close all: stacked windows under a cross
    "$(window 0 0 11 10) $(window 4 5 15 15) $(cross 8 8 6)"
    # 5 close all but the active one
    "$(window 0 0 9 9) $(cross 1 3 5) fill white stroke $blue stroke-width 2 rectangle 6,6 14,14 stroke-width 1 fill $blue rectangle 6,6 14,8"
    # 6 close the tabs on the left
    "$(cross 1 4 6) fill $ink stroke $ink polygon 9,7 13,3 13,11 rectangle 13,6 15,8"
    # 7 close the tabs on the right
    "fill $ink stroke $ink polygon 6,7 2,3 2,11 rectangle 0,6 2,8 $(cross 8 4 6)"
    # 8 cascade
    "$(window 0 0 9 8) $(window 3 3 12 11) $(window 6 6 15 14)"
    # 9 tiled one above the other
    "$(window 1 0 14 7) $(window 1 8 14 15)"
    # 10 tiled side by side
    "$(window 0 1 7 14) $(window 8 1 15 14)"
    # 11 thumbnails: a picture with a hill and a sun
    "fill white stroke $navy rectangle 1,2 14,13 fill $green stroke $green polygon 2,12 6,7 9,10 11,8 13,12 fill $yellow stroke $brown circle 11,5 12,6"
    # 12 launcher: a window with a start arrow
    "$(window 0 1 15 14) fill $green stroke $green polygon 5,5 5,12 11,8"
    # 13 close: a window under a cross
    "$(window 1 1 14 14) $(cross 4 6 6)"
    # 14 the folder closed last: a folder with an arrow coming back
    "$(folder 0 5 11 15) fill none stroke $blue stroke-width 2 arc 6,1 14,9 270,450 stroke-width 1 fill $blue stroke $blue polygon 10,0 6,2 10,4"
)

strip() { # size file
    local size=$1 scale
    scale=$(awk "BEGIN { print $size / 16 }")
    local parts=()
    for ((i = 0; i < ${#images[@]}; i++)); do
        convert -size "${size}x${size}" xc:"rgb(192,192,192)" +antialias \
            -draw "scale $scale,$scale ${images[$i]}" "part$i.png"
        parts+=("part$i.png")
    done
    convert "${parts[@]}" +append -type Palette -colors 64 BMP3:"$2"
    rm "${parts[@]}"
}

doubled() { # from to
    convert "$1" -scale 200% -type Palette -colors 64 BMP3:"$2"
}

strip 16 toolbarbmp.bmp
strip 24 toolbarbmp_150.bmp
doubled toolbarbmp.bmp toolbarbmp_200.bmp
strip 24 bigtoolbarbmp.bmp
strip 36 bigtoolbarbmp_150.bmp
doubled bigtoolbarbmp.bmp bigtoolbarbmp_200.bmp
