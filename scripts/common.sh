# Shared by the run and test scripts: package set-up, build and private Wine prefixes.
# Sourced, not run.

ZEKO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ZEKO_ROOT/build}
WINE=$ZEKO_ROOT/scripts/wine.sh
WINESERVER=/usr/lib/wine/wineserver

PACKAGES="g++-mingw-w64-x86-64-posix wine64 xvfb fonts-wine fonts-ipafont-gothic
cmake ninja-build googletest imagemagick x11-utils"

# The host compiler and libFuzzer for the fuzz targets in fuzz/.
FUZZ_PACKAGES="clang libclang-rt-14-dev"
FUZZ_BUILD_DIR=$BUILD_DIR/fuzz

# $PACKAGES and any further packages named as arguments.
install_packages() {
    local missing=""
    for p in $PACKAGES "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $p"
    done
    [ -z "$missing" ] && return 0
    echo "Installing Debian packages:$missing"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -q >/dev/null
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing >/dev/null
}

build_zeko() {
    cmake -S "$ZEKO_ROOT" -B "$BUILD_DIR" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$ZEKO_ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-Release} >/dev/null
    cmake --build "$BUILD_DIR" -- -j"$(nproc)"
}

# The fuzz targets, built for this host (not for Windows) with clang and the
# sanitizers; one target per folder of fuzz/corpus.
build_fuzz() {
    CXX=clang++ cmake -S "$ZEKO_ROOT/fuzz" -B "$FUZZ_BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$FUZZ_BUILD_DIR" -- -j"$(nproc)"
}

fuzz_targets() {
    local dir
    for dir in "$ZEKO_ROOT"/fuzz/corpus/*/; do basename "$dir"; done
}

# Runs every target once over each input of its corpus, without fuzzing: an
# input that once crashed a reader must keep passing.
replay_fuzz_corpora() {
    local target
    for target in $(fuzz_targets); do
        "$FUZZ_BUILD_DIR/fuzz_$target" "$ZEKO_ROOT/fuzz/corpus/$target"/* >"$FUZZ_BUILD_DIR/replay-$target.log" 2>&1 || {
            cat "$FUZZ_BUILD_DIR/replay-$target.log" >&2
            echo "fuzz target $target fails on its corpus" >&2
            return 1
        }
    done
    echo "fuzz corpora replayed: $(fuzz_targets | wc -l) targets, $(find "$ZEKO_ROOT/fuzz/corpus" -type f | wc -l) inputs"
}

# Wine environment for one private prefix. $1: prefix directory, $2: private home.
wine_env() {
    export WINEPREFIX="$1" WINEARCH=win64 WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree=d;mshtml=d;winemenubuilder.exe=d"
    export HOME="$2"
    # Wine's undoable delete goes to the XDG trash; without the folder it deletes for good.
    export XDG_DATA_HOME="$HOME/.local/share"
    mkdir -p "$XDG_DATA_HOME/Trash/files" "$XDG_DATA_HOME/Trash/info"
    # A display without X resources (a bare Xvfb) leaves libX11 with no database
    # to keep, so it looks for this file again on every font selection; that
    # alone made a list of 100,000 items paint a third slower. Desktop sessions
    # load resources, so this only mends the test display.
    [ -f "$HOME/.Xdefaults" ] || echo 'ZEKO.resources: loaded' >"$HOME/.Xdefaults"
    # Every process of one prefix must see the same socket directory.
    export TMPDIR="$1.tmp"
    mkdir -p "$TMPDIR"
}

# Creates the prefix of wine_env when it does not exist yet: fonts, Japanese font
# substitutes, no window-manager waits, no crash dialog.
make_prefix() {
    [ -f "$WINEPREFIX/.zeko-ready" ] && return 0
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1
    "$WINESERVER" -w
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    "$WINE" reg.exe import "$ZEKO_ROOT/scripts/prefix.reg" >/dev/null 2>&1
    "$WINESERVER" -w
    touch "$WINEPREFIX/.zeko-ready"
}

# Keeps Wine's desktop process alive until the shell exits (fd 7 closes).
# Without it every test process ends the desktop and the next one waits for a
# new one; and a desktop started by a test would inherit that test's output
# pipe, so ctest would wait for it. Here it is started with no output at all.
keep_desktop() {
    local fifo="$TMPDIR/keep-desktop"
    rm -f "$fifo"
    mkfifo "$fifo"
    "$WINE" cmd.exe /c "rundll32.exe user32.dll,GetDesktopWindow & set /p x=" \
        <"$fifo" >/dev/null 2>&1 &
    exec 7>"$fifo"
    # The desktop must exist before the first test runs, or that test starts it.
    local pid
    for _ in $(seq 300); do
        for pid in $(pgrep -f 'explorer.exe /desktop'); do
            tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && return 0
        done
        sleep 0.1
    done
    echo "Wine's desktop did not start" >&2
}

# Starts a private Xvfb when there is no display; sets DISPLAY and XVFB_PID.
start_xvfb() {
    local n
    for n in $(seq 91 140); do
        [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        export DISPLAY=":$n"
        for _ in $(seq 50); do
            [ -e /tmp/.X11-unix/X$n ] && return 0
            sleep 0.1
        done
        kill $XVFB_PID 2>/dev/null
    done
    echo "could not start Xvfb" >&2
    return 1
}

# Values standing for a user's own settings: the program's root, one of its
# areas and a shell value the program reads. Checked after a test run.
USER_SETTINGS='HKCU\Software\ZEKO2|UserKeepsThis|REG_SZ|planted before the tests
HKCU\Software\ZEKO2\FolderView|LVS_FLAGS|REG_DWORD|0x4201
HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer|ThumbnailSize|REG_DWORD|0x4d'

plant_user_settings() {
    local key name type data
    while IFS='|' read -r key name type data; do
        "$WINE" reg.exe add "$key" /v "$name" /t "$type" /d "$data" /f >/dev/null 2>&1
    done <<<"$USER_SETTINGS"
}

# Fails, naming each, when a planted value is gone or changed.
check_user_settings() {
    local key name type data lost=0
    while IFS='|' read -r key name type data; do
        if ! "$WINE" reg.exe query "$key" /v "$name" 2>/dev/null | tr -d '\r' |
            grep -Eq "^ +$name +$type +$data\$"; then
            echo "The tests changed a user's setting: $key\\$name (was $type $data)" >&2
            lost=1
        fi
    done <<<"$USER_SETTINGS"
    return $lost
}
