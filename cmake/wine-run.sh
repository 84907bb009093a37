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
# Under heavy load a start has been seen to fail at once, before the program
# ran: a failing status, no output, no time taken. No program of ours starts
# and ends within 20 ms under Wine, so such a start is tried once more, and
# said so. The cause is not known yet.
started=$(date +%s%N)
/usr/lib/wine/wine64 "$@"
status=$?
elapsed_ms=$((($(date +%s%N) - started) / 1000000))
if [ "$status" -ne 0 ] && [ "$elapsed_ms" -lt 20 ]; then
    echo "wine-run.sh: $1 ended with status $status after $elapsed_ms ms, before it could run; starting it again" >&2
    /usr/lib/wine/wine64 "$@"
    status=$?
fi
exit $status
