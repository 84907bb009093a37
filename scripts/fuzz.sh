#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ for this host with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and fuzzes each in turn for the given number of
# seconds (default 60). New inputs collect in build/fuzz/work, crashing ones in
# build/fuzz/crashes; copy a crashing input into fuzz/corpus/<target>/ once
# its fault is fixed, so that scripts/test.sh replays it from then on.
set -euo pipefail
source "$(dirname "$0")/common.sh"

seconds=${1:-60}
install_packages $FUZZ_PACKAGES
build_fuzz

failed=""
for target in $(fuzz_targets); do
    work="$FUZZ_BUILD_DIR/work/$target"
    mkdir -p "$work" "$FUZZ_BUILD_DIR/crashes"
    echo "== $target: $seconds s"
    "$FUZZ_BUILD_DIR/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$FUZZ_BUILD_DIR/crashes/$target-" \
        "$work" "$ZEKO_ROOT/fuzz/corpus/$target" || failed="$failed $target"
done

if [ -n "$failed" ]; then
    echo "crashed:$failed (inputs in $FUZZ_BUILD_DIR/crashes)" >&2
    exit 1
fi
