#!/bin/sh
# Runs a cross-built Windows executable under the Wine session the scripts prepared.
exec /usr/lib/wine/wine64 "$@"
