#!/bin/sh
# Starts Wine's 64-bit loader with arguments as given, with the address space
# laid out without randomization. Every Wine start of the scripts and of CTest
# goes through here.
#
# Debian's Wine 8 has no preloader, the program that reserves the addresses a
# Windows process needs before anything else is mapped. The loader is linked
# at 0x7d000000 and the kernel puts its heap at a random place up to 1 GB above
# it; when that heap covers 0x7ffe0000, the page every Windows process shares
# with the system, Wine ends the process with status 1 within milliseconds,
# before the program runs, and under WINEDEBUG=-all says nothing. Without
# randomization the heap begins right after the loader, 48 MB below that page.
arch=$(uname -m)
if setarch "$arch" -R true 2>/dev/null; then
    exec setarch "$arch" -R /usr/lib/wine/wine64 "$@"
fi
echo "wine.sh: this system does not allow turning off address randomization; about one Wine start in 7,700 may fail at once" >&2
exec /usr/lib/wine/wine64 "$@"
