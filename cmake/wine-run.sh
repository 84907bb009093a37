#!/bin/sh
# Runs a cross-built Windows executable under the Wine session the scripts prepared.
# Only in a prefix that scripts/test.sh made for tests: run from a plain ctest
# with a user's own prefix, the tests would run among that user's files and
# session, so this refuses instead.
if [ -z "${WINEPREFIX:-}" ] || [ ! -f "$WINEPREFIX/.zeko-test-prefix" ]; then
    echo "wine-run.sh: refusing to run $1: WINEPREFIX (${WINEPREFIX:-unset, so ~/.wine}) is not a prefix made for tests." >&2
    echo "wine-run.sh: run the tests with scripts/test.sh, which makes a private one." >&2
    exit 1
fi
exec "$(dirname "$0")/../scripts/wine.sh" "$@"
