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
unset DISPLAY
start_xvfb
"$WINESERVER" -p >/dev/null 2>&1 </dev/null
trap '"$WINESERVER" -k >/dev/null 2>&1 || true; kill "$XVFB_PID" >/dev/null 2>&1 || true' EXIT
"$WINE" "$BUILD_DIR/bin/zeko_bench.exe" "$@" | tr -d '\r'
