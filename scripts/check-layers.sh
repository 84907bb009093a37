#!/usr/bin/env bash
# Fails when a file includes one of a layer above its own. The layers, from
# the floor up (a folder may include its own layer and those below it; folders
# that share a level are peers and do not include each other):
#   res      resource identifiers, included by every layer
#   app      settings, ID lists, process-wide objects, the frame's link
#   shell    the platform's services and the capability layer
#   input    key tables and gestures
#   folderview
#   mdi      child windows, tabs, navigation
#   side bars search favgroup
#   script options
#   mainwnd  the frame and the command routing
#   top      the entry (app/main.cpp) and the opening of command-line
#            arguments (app/uCmdLine), which reach every window layer
# tests/, bench/ and fuzz/ stand outside the layers.
set -euo pipefail
cd "$(dirname "$0")/.."

level_of() {
    case "$1" in
    app/main.cpp | app/uCmdLine.h | app/uCmdLine.cpp) echo 9 ;;
    res/*) echo 0 ;;
    app/*) echo 1 ;;
    shell/*) echo 2 ;;
    input/*) echo 3 ;;
    folderview/*) echo 4 ;;
    mdi/*) echo 5 ;;
    side/* | bars/* | search/* | favgroup/*) echo 6 ;;
    script/* | options/*) echo 7 ;;
    mainwnd/*) echo 8 ;;
    *) echo "" ;;
    esac
}

status=0
while IFS= read -r file; do
    own=$(level_of "$file")
    [ -n "$own" ] || continue
    while IFS= read -r included; do
        target=$(level_of "$included")
        [ -n "$target" ] || continue
        if [ "$target" -gt "$own" ]; then
            echo "layer check: $file includes $included, a layer above its own" >&2
            status=1
        elif [ "$target" -eq "$own" ] && [ "${included%%/*}" != "${file%%/*}" ] && [ "$own" -ne 9 ]; then
            echo "layer check: $file includes $included, a peer of its own layer" >&2
            status=1
        fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(git ls-files --cached --others --exclude-standard -- '*.h' '*.cpp')

[ $status -eq 0 ] && echo "layer check: every include points down or across its own layer"
exit $status
