#!/bin/sh
# The program under a real window manager (openbox on a virtual X server), as a person has it: a
# click on the main window while a write dialog is open leaves the keyboard with the dialog, as
# Win32 brings a modal dialog back to the front when its disabled owner is clicked; a message box
# is wide enough for its caption.
# Usage: window-manager.sh BYTESCOPE
set -eu
fail() { echo "$*" >&2; exit 1; }
[ "$1" = --inside ] || exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --inside "$1"
openbox >/dev/null 2>&1 &
wm=$!
sleep 0.5
"$2" 2>/dev/null &
pid=$!
trap 'kill $pid $wm 2>/dev/null || true' EXIT
# window TITLE: the shown window titled so, waited for up to 5 s
window() { for _ in $(seq 50); do w=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null) &&
    echo "${w%%[!0-9]*}" && return 0; sleep 0.1; done; fail "no window titled $1"; }
focused() { xdotool getwindowfocus getwindowname 2>/dev/null || true; }
main=$(window Bytescope)
xdotool windowactivate --sync "$main" key F1
window "Write DATA Register" >/dev/null
xdotool mousemove --window "$main" 700 500 click 1 # the main window's client area, off the dialog
sleep 0.5
[ "$(focused)" = "Write DATA Register" ] || fail "a click on the main window took the keyboard \
from the dialog to: $(focused)"
xdotool type 42 && xdotool key Return
for _ in $(seq 50); do
    xdotool search --onlyvisible --name '^Write DATA Register$' >/dev/null 2>&1 || break
    sleep 0.1
done
[ "$(focused)" = Bytescope ] || fail "the dialog did not take 42 and Enter: $(focused) has the keyboard"
# The refusal's box is wide enough for openbox's title bar to show "INVALID ENTRY" whole beside
# its icon and three buttons (about 180 pixels), not "IN...Y".
xdotool key F1 && window "Write DATA Register" >/dev/null && xdotool type 300 && xdotool key Return
width=$(xdotool getwindowgeometry "$(window "INVALID ENTRY")" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
[ "$width" -ge 180 ] || fail "the INVALID ENTRY box is $width pixels wide: its caption is cut"
xdotool key Return Escape
xdotool key ctrl+q
wait $pid || fail "Ctrl+Q ended it with $?"
