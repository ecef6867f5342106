#!/bin/sh
# Runs a Windows program under 64-bit Wine in a prefix of its own: headless,
# quiet, the prefix created on first use (one process at a time does that).
# Usage: wine-run.sh PREFIX PROGRAM.exe [ARG...]
#        wine-run.sh PREFIX --init     (only create the prefix)
set -eu

if [ $# -lt 2 ]; then
    echo "usage: $0 PREFIX PROGRAM.exe [ARG...] | $0 PREFIX --init" >&2
    exit 2
fi
prefix=$1
shift

find_tool() {
    for t in "$@"; do
        if [ -x "$t" ]; then echo "$t"; return 0; fi
        if command -v "$t" >/dev/null 2>&1; then command -v "$t"; return 0; fi
    done
    return 1
}
wine=$(find_tool /usr/lib/wine/wine64 wine64 wine) || { echo "wine-run: no wine64 found" >&2; exit 2; }
wineserver=$(find_tool /usr/lib/wine/wineserver64 wineserver64 wineserver) || wineserver=""

export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installer dialogs: nothing here needs them.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        if [ ! -f "$prefix/system.reg" ]; then
            "$wine" wineboot -i >/dev/null 2>&1 || true
            # The registry files appear when the server shuts down.
            [ -n "$wineserver" ] && "$wineserver" -w || true
        fi
    ) 9>"$prefix.lock"
    if [ ! -f "$prefix/system.reg" ]; then
        echo "wine-run: could not create the Wine prefix $prefix" >&2
        exit 1
    fi
fi

if [ "$1" = "--init" ]; then
    exit 0
fi
exec "$wine" "$@"
