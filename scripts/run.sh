#!/usr/bin/env bash
# Sets up what is missing, builds, and runs ZEKO with the given arguments in its
# own Wine prefix. With no display it runs on a private X server, writes a
# screenshot to $ZEKO_SCREENSHOT (default: zeko-screenshot.png) and exits.
set -euo pipefail
source "$(dirname "$0")/common.sh"

install_packages
build_zeko

wine_env "$BUILD_DIR/run-prefix" "$BUILD_DIR/run-home"
make_prefix

if [ -n "${DISPLAY:-}" ]; then
    exec "$WINE" "$BUILD_DIR/bin/ZEKO.exe" "$@"
fi

shot=${ZEKO_SCREENSHOT:-$PWD/zeko-screenshot.png}
start_xvfb
"$WINE" "$BUILD_DIR/bin/ZEKO.exe" "$@" &
zeko=$!
sleep "${ZEKO_SETTLE_SECONDS:-6}"
import -window root "$shot"
echo "Screenshot written to $shot"
"$WINESERVER" -k >/dev/null 2>&1 || true
wait $zeko 2>/dev/null || true
kill "$XVFB_PID" >/dev/null 2>&1 || true
