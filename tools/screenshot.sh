#!/usr/bin/env bash
# Runs Bytescope in a virtual X display, types keys into it and takes a screenshot.
# Usage: tools/screenshot.sh OUT.png [BUILD_DIR] [KEY|sleep:SECONDS|type:TEXT ...]
#   keys are xdotool key names (F12, F1, Escape, ctrl+q, Return ...)
# Example: tools/screenshot.sh table.png build F12 F12 F12
# With SHOT=window only the program's main window is taken, not the whole screen.
set -euo pipefail

if [ "${1:-}" = "--inside-display" ]; then
    shift
    out=$1 exe=$2
    shift 2
    # A window manager draws the title bars, when one is installed.
    if command -v twm >/dev/null; then
        rc=$(mktemp)
        printf 'RandomPlacement\nUsePPosition "on"\nNoGrabServer\nDecorateTransients\n' >"$rc"
        twm -f "$rc" >/dev/null 2>&1 &
        sleep 0.5
    fi
    "$exe" 2>/dev/null &
    pid=$!
    win=""
    for _ in $(seq 100); do
        win=$(xdotool search --onlyvisible --name '^Bytescope$' 2>/dev/null | head -1 || true)
        [ -n "$win" ] && break
        sleep 0.1
    done
    [ -n "$win" ] || { echo "the window did not appear" >&2; kill "$pid"; exit 1; }
    xdotool windowactivate --sync "$win" >/dev/null 2>&1 ||
        xdotool windowfocus --sync "$win" >/dev/null 2>&1 || true
    sleep 0.5
    for k in "$@"; do
        case "$k" in
        sleep:*) sleep "${k#sleep:}" ;;
        type:*) xdotool type --delay 50 "${k#type:}" ;;
        *) xdotool key "$k" ;;
        esac
        sleep 0.3
    done
    sleep 0.5
    if [ "${SHOT:-screen}" = window ]; then
        import -window "$win" "$out"
    else
        import -window root "$out"
    fi
    kill "$pid" 2>/dev/null || true
    exit 0
fi

out=$(realpath -m "$1")
build=${2:-build}
shift $(($# >= 2 ? 2 : 1))
here=$(cd "$(dirname "$0")" && pwd)
exe=$(realpath "$here/../$build/bytescope")
xvfb-run -a -s "-screen 0 1024x768x24" "$here/screenshot.sh" --inside-display "$out" "$exe" "$@"
echo "$out"
