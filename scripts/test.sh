#!/usr/bin/env bash
# Checks the layers' includes, sets up what is missing, builds, replays every
# fuzz target's corpus, and runs
# every test under Wine on a private X server, in a Wine prefix made fresh for
# this run. Extra arguments go to ctest
# (for example -R FolderView to run some tests only).
set -euo pipefail
source "$(dirname "$0")/common.sh"

# No file may include one of a layer above its own.
"$(dirname "$0")/check-layers.sh"

install_packages $FUZZ_PACKAGES
build_zeko
build_fuzz
replay_fuzz_corpora

# A fresh prefix and home for every run: tests never see a user's settings.
rm -rf "$BUILD_DIR/test-prefix" "$BUILD_DIR/test-prefix.tmp" "$BUILD_DIR/test-home"
wine_env "$BUILD_DIR/test-prefix" "$BUILD_DIR/test-home"
make_prefix
# The mark cmake/wine-run.sh looks for: only this prefix may run tests.
touch "$WINEPREFIX/.zeko-test-prefix"

unset DISPLAY
start_xvfb
# One warm Wine session for the whole run; its output must not hold ctest's pipe.
"$WINESERVER" -p >/dev/null 2>&1 </dev/null
keep_desktop

finish() {
    exec 7>&-
    "$WINESERVER" -k >/dev/null 2>&1 || true
    kill "$XVFB_PID" >/dev/null 2>&1 || true
}
trap finish EXIT

# Settings a user had before the run, in this prefix's own user key: the tests
# must leave them exactly as they were.
plant_user_settings

status=0
ctest --test-dir "$BUILD_DIR" --output-on-failure --timeout 180 "$@" || status=$?
check_user_settings || status=1
exit $status
