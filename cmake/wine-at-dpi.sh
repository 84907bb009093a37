#!/bin/sh
# Runs a cross-built test executable as on a screen of <dpi> dots per inch:
#   wine-at-dpi.sh <dpi> <exe> [arguments]
# Wine reads the screen's DPI from the prefix once, when a process starts, so
# the value is set just before the start and the earlier one put back after.
# CTest runs one test at a time; nothing else starts meanwhile. The test learns
# the DPI it must see from ZEKO_TEST_DPI.
dpi=$1
shift
if [ -z "${WINEPREFIX:-}" ] || [ ! -f "$WINEPREFIX/.zeko-test-prefix" ]; then
    exec "$(dirname "$0")/wine-run.sh" "$@"
fi
wine="$(dirname "$0")/../scripts/wine.sh"
key='HKEY_CURRENT_USER\Control Panel\Desktop'
previous=$("$wine" reg query "$key" /v LogPixels 2>/dev/null </dev/null | tr -d '\r' |
    awk '$1 == "LogPixels" { print $3 }')
"$wine" reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 </dev/null
ZEKO_TEST_DPI=$dpi "$(dirname "$0")/wine-run.sh" "$@"
status=$?
if [ -n "$previous" ]; then
    "$wine" reg add "$key" /v LogPixels /t REG_DWORD /d "$((previous))" /f >/dev/null 2>&1 </dev/null
else
    "$wine" reg delete "$key" /v LogPixels /f >/dev/null 2>&1 </dev/null
fi
exit $status
