# The scenario's Windows back end, sourced by run.sh: bytescope.exe under Wine, with the InpOut32
# stand-in beside it; the window-text helper (peek.cpp) reads what it shows, and Wine's relay
# trace what it draws (relay.awk). Each function answers what run.sh asks of a build.
# Wine's desktop process belongs to the display it started on: a fresh server for this display,
# and none left behind.
wineserver -k 2>/dev/null || true
trap 'wineserver -k 2>/dev/null || true' EXIT
cp "$program" "$(dirname "$program")"/{BYTESCOPE.HLP,tests/windows/driver/inpout*.dll} "$out/"
peek() { wine "$support/scenario_peek.exe" "$@" 2>/dev/null | tr -d '\r'; }
start() {
    : >"$out/inpout-access.log"
    WINEDEBUG=+relay wine "$out/bytescope.exe" 2>"$out/relay.log" &
    pid=$! main=""
}
# Keys reach a window only once Wine, too, has made it the active one.
active() { [ "$(peek active)" = "$(xdotool getwindowfocus getwindowname)" ] && peek active; }
accesses() { tr -d '\r' <"$out/inpout-access.log"; }
drawing() {
    [ -n "$main" ] || main=$(peek main) || return 0
    awk -v tid="${main% *}" -v hwnd="${main#* }" -f "$here/support/relay.awk" "$out/relay.log"
}
status() { peek status; }
texts() { peek texts "$1"; }
closebox() { xdotool mousemove $(peek closebox "$1") click 1; }
