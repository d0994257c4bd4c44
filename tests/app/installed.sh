#!/bin/sh
# The installed program on a virtual X server: Qt's own options on its command line change
# nothing (the window keeps its title, size and look), and Help Topics finds the manual in the
# installation's share/bytescope.
# Usage: installed.sh BUILD_DIR
set -eu
. "$(dirname "$0")/x11.sh"
if [ "${1:-}" = --inside ]; then
    exe=$2 work=$3
    # The server takes connections before the program starts (under load, not always at once)
    for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break || sleep 0.1; done
    # shot NAME ARGS...: starts the program, takes its window's size and picture, quits it
    shot() {
        name=$1 && shift
        "$exe" "$@" 2>"$work/$name.err" & pid=$!
        win=$(window Bytescope 2>/dev/null) ||
            { kill $pid 2>/dev/null || wait $pid || echo "it ended with $?" >&2
              fail "with $*: no window titled Bytescope; it said: $(cat "$work/$name.err")"; }
        sleep 0.5
        xdotool getwindowgeometry "$win" | grep Geometry >"$work/$name.size"
        import -window "$win" "$work/$name.png"
        if [ "$name" = plain ]; then # the manual, from the menu, as a person opens it
            xdotool windowfocus --sync "$win" key alt+h Return
            (window 'BYTESCOPE\.HLP - Help' >/dev/null 2>&1) ||
                fail "Help Topics did not find the installed manual"
        fi
        xdotool windowfocus --sync "$win" key ctrl+q
        wait $pid || fail "with $*: Ctrl+Q ended it with $?"
    }
    shot plain
    printf 'QWidget { background: red; }\n' >"$work/red.qss"
    shot options -qwindowtitle Evil -qwindowgeometry 200x100+50+50 -reverse -style windows \
        -stylesheet "$work/red.qss" -platform offscreen -display :99 -geometry 300x200 \
        -title Evil -name evil -qwindowicon none
    cmp -s "$work/plain.size" "$work/options.size" ||
        fail "the options changed the size: $(cat "$work/options.size")"
    differing=$(compare -metric AE "$work/plain.png" "$work/options.png" null: 2>&1) || true
    [ "$differing" = 0 ] || fail "the options changed $differing pixels"
    exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$(realpath "$1")" --prefix "$work/prefix" >/dev/null
[ ! -e "$work/prefix/bin/BYTESCOPE.HLP" ] || fail "a manual beside the program"
# A server number of its own, away from the one that another test's server may still be leaving.
xvfb-run -a -n 150 -s "-screen 0 1024x768x24" "$0" --inside "$work/prefix/bin/bytescope" "$work"
echo "installed program: options ignored, manual found"
