#!/bin/sh
# The program under openbox on a virtual X server: a click on the main window while a write
# dialog is open leaves the keyboard with the dialog, as Win32 brings a modal dialog back when its
# disabled owner is clicked; the refusal's box is wide enough for openbox to show "INVALID ENTRY"
# beside its icon and three buttons (about 180 pixels), not "IN...Y"; neither can be maximised.
# Usage: window-manager.sh BYTESCOPE
set -eu
. "$(dirname "$0")/x11.sh"
[ "$1" = --inside ] || exec xvfb-run -a -n 160 -s "-screen 0 1024x768x24" "$0" --inside "$1"
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break || sleep 0.1; done
openbox >/dev/null 2>&1 & wm=$! && sleep 0.5
"$2" 2>/dev/null & pid=$!
trap 'kill $pid $wm 2>/dev/null || true' EXIT
# gone TITLE WHY: no shown window titled so left
gone() { for _ in $(seq 50); do xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 ||
    return 0; sleep 0.1; done; fail "$1 stays: $2"; }
main=$(window Bytescope)
xdotool windowactivate --sync "$main" key F1 && window "Write DATA Register" >/dev/null
xdotool mousemove --window "$main" 700 500 click 1 && sleep 0.5 # the main window, off the dialog
focused=$(xdotool getwindowfocus getwindowname 2>/dev/null) || true
[ "$focused" = "Write DATA Register" ] || fail "the click gave the keyboard to: $focused"
xdotool type 42 && xdotool key Return && gone "Write DATA Register" "42 and Enter went elsewhere"
xdotool key F1 && window "Write DATA Register" >/dev/null && xdotool type 300 && xdotool key Return
width=$(xdotool getwindowgeometry "$(window "INVALID ENTRY")" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
[ "$width" -ge 180 ] || fail "the INVALID ENTRY box is $width pixels wide: its caption is cut"
for t in "Write DATA Register" "INVALID ENTRY"; do a=$(xprop -id "$(window "$t")" _NET_WM_ALLOWED_ACTIONS)
    case $a in *MAXIMIZE*) fail "openbox lets $t be maximised: $a" ;; *_CLOSE*) ;; *) fail "$a" ;; esac
done
xdotool key Return Escape ctrl+q
wait $pid || fail "Ctrl+Q ended it with $?"
