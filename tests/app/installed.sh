#!/bin/sh
# The installed program on a virtual X server: Qt's own options on its command line change
# nothing (the window keeps its title, size and look), and Help Topics finds the manual in the
# installation's share/bytescope.
# Usage: installed.sh BUILD_DIR
set -eu
if [ "${1:-}" = --inside ]; then
    exe=$2 work=$3
    shot() { # NAME ARGS...: starts the program, takes its window, quits it
        name=$1
        shift
        "$exe" "$@" 2>/dev/null &
        pid=$!
        win=""
        for _ in $(seq 100); do
            win=$(xdotool search --onlyvisible --name '^Bytescope$' 2>/dev/null | head -n 1) || true
            [ -n "$win" ] && break
            sleep 0.1
        done
        [ -n "$win" ] || { echo "with $*: no window titled Bytescope" >&2; kill $pid; exit 1; }
        sleep 0.5
        xdotool getwindowgeometry "$win" | grep Geometry >"$work/$name.size"
        import -window "$win" "$work/$name.png"
        if [ "$name" = plain ]; then # the manual, from the menu, as a person opens it
            xdotool windowfocus --sync "$win" key alt+h Return
            for _ in $(seq 50); do
                xdotool search --name '^BYTESCOPE\.HLP - Help$' >/dev/null 2>&1 && break
                sleep 0.1
            done
            xdotool search --name '^BYTESCOPE\.HLP - Help$' >/dev/null ||
                { echo "Help Topics did not find the installed manual" >&2; exit 1; }
        fi
        xdotool windowfocus --sync "$win" key ctrl+q
        status=0
        wait $pid || status=$?
        [ $status -eq 0 ] || { echo "with $*: Ctrl+Q ended it with $status" >&2; exit 1; }
    }
    shot plain
    printf 'QWidget { background: red; }\n' >"$work/red.qss"
    shot options -qwindowtitle Evil -qwindowgeometry 200x100+50+50 -reverse -style windows \
        -stylesheet "$work/red.qss" -platform offscreen -display :99 -geometry 300x200 \
        -title Evil -name evil -qwindowicon none
    cmp -s "$work/plain.size" "$work/options.size" ||
        { echo "the options changed the size: $(cat "$work/options.size")" >&2; exit 1; }
    differing=$(compare -metric AE "$work/plain.png" "$work/options.png" null: 2>&1) || true
    [ "$differing" = 0 ] || { echo "the options changed $differing pixels" >&2; exit 1; }
    exit 0
fi
build=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null
[ ! -e "$work/prefix/bin/BYTESCOPE.HLP" ] || { echo "a manual beside the program" >&2; exit 1; }
xvfb-run -a -s "-screen 0 1024x768x24" "$0" --inside "$work/prefix/bin/bytescope" "$work"
echo "installed program: options ignored, manual found"
