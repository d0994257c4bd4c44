#!/usr/bin/env bash
# Drives session.txt against one build in a virtual X display, as a person would, with xdotool:
#   run.sh linux   PROGRAM OUT_DIR   the Linux program; its port a stand-in behind its ppdev
#                                    backend, its texts read by a probe (tests/scenario/support)
#   run.sh windows PROGRAM OUT_DIR   bytescope.exe under Wine, in the prefix WINEPREFIX names
#                                    (tools/wine-prefix.sh); its port the InpOut32 stand-in, its
#                                    texts read with WM_GETTEXT and from Wine's relay trace
# The helpers are in SCENARIO_SUPPORT. Screenshots (shot steps) and logs land in OUT_DIR. Ends at
# the first expectation not met within 5 s, saying what it saw instead.
set -euo pipefail
backend=$1 program=$(realpath "$2") out=$(realpath -m "$3")
support=$(realpath "${SCENARIO_SUPPORT:?}") here=$(cd "$(dirname "$0")" && pwd)
if [ "${SCENARIO_IN_DISPLAY:-}" != 1 ]; then
    rm -rf "$out" && mkdir -p "$out"
    SCENARIO_IN_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash ${SCENARIO_TRACE:+-x} "$0" "$@"
fi
pid="" mark=0 ported=0

case $backend in
linux)
    start() {
        rm -rf "$out/port" && mkdir "$out/port" && : >"$out/draw.log"
        SCENARIO_PORT_DIR=$out/port SCENARIO_DRAW_LOG=$out/draw.log \
            LD_PRELOAD=$support/libscenario_fake_ppdev.so:$support/libscenario_screen_probe.so \
            "$program" 2>>"$out/stderr.log" &
        pid=$!
    }
    active() { xdotool getwindowfocus getwindowname 2>/dev/null; }
    accesses() { cat "$out/port/access.log" 2>/dev/null || true; }
    # The main window's client area is the plain widget right inside it; the status bar is in it.
    drawing() { awk -F'|' '$1 == "Bytescope" && $2 == "QWidget" && $3 == 1 && $4 != "text" {
        print ($4 == "paint" ? "paint" : $5 " " $6 " " $7 " " $8) }' "$out/draw.log"; }
    status() { awk -F'|' '$1 == "Bytescope" && $3 == 2 && $4 == "draw" { t = $8 } END { print t }' \
        "$out/draw.log"; }
    texts() { tail -n +"$mark" "$out/draw.log" | awk -F'|' -v w="$1" '$1 == w && $4 != "paint" {
        print $8 }'; }
    closebox() { "$support/scenario_close_window" "$(xdotool search --name "^$1\$" | head -1)"; }
    ;;
windows)
    # Wine's desktop process belongs to the display it started on: a fresh server for this one,
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
    # Keys reach the window only once Wine, too, has made it the active one.
    active() { [ "$(peek active)" = "$(xdotool getwindowfocus getwindowname)" ] && peek active; }
    accesses() { tr -d '\r' <"$out/inpout-access.log"; }
    drawing() {
        [ -n "$main" ] || main=$(peek main) || return 0
        awk -v tid="${main% *}" -v hwnd="${main#* }" -f "$here/support/relay.awk" "$out/relay.log"
    }
    status() { peek status; }
    texts() { peek texts "$1"; }
    closebox() { xdotool mousemove $(peek closebox "$1") click 1; }
    ;;
esac

fail() {
    printf '%s\n' "session.txt:$n ($backend): $line" "  saw: $*" >&2
    [ -z "$pid" ] || kill "$pid" 2>/dev/null
    exit 1
}
# Tries the check "$@" for up to 5 s; it leaves what it saw in $seen.
expect() {
    for _ in $(seq 50); do "$@" && return 0; sleep 0.1; done
    fail "$seen"
}
is_active() { seen=$(active) || true; [ "$seen" = "$1" ]; }
is_shown() { seen=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null) || true; [ -n "$seen" ]; }
# A program starting under Wine for the first time in a display may take longer.
expect_long() { for _ in $(seq 300); do "$@" && return 0; sleep 0.1; done; fail "nothing"; }
is_gone() { seen=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null) || true; [ -z "$seen" ]; }
has_status() { seen=$(status); [ "$seen" = "$1" ]; }
shows() { seen=$(texts "$1" | sort -u | paste -sd '|'); texts "$1" | grep -qxF -- "$2"; }
# The texts of the main window's last paint, "X Y #rrggbb TEXT".
last_paint() { drawing | awk '$0 == "paint" { n = 0; next } { l[++n] = $0 } END {
    for (i = 1; i <= n; i++) print l[i] }'; }
drew() { seen=$(last_paint | cut -d' ' -f3- | paste -sd '|'); last_paint | cut -d' ' -f3- |
    grep -qxF -- "$(sed 's/^white/#ffffff/; s/^yellow/#ffff00/; s/^black/#000000/' <<<"$1")"; }
# The rows of the last paint under the header, newest first: each field as its text and the
# colours of its characters (g green, r red, b blue, k black; "b5k3" is 5 blue, then 3 black). A
# text drawn again over a field's start colours those characters anew.
rows_seen() { last_paint | awk '{ t = substr($0, length($1 $2 $3) + 4) }
    t ~ /^     Time/ { next }
    { c = $3 == "#007d00" ? "g" : $3 == "#eb0000" ? "r" : $3 == "#0000ff" ? "b" : \
          $3 == "#000000" ? "k" : $3
      if (!($2 in row)) row[$2] = ++rows
      r = row[$2]; k = r SUBSEP $1
      if (!(k in text)) field[r, ++fields[r]] = $1
      if (length(t) > length(text[k])) text[k] = t
      for (i = 1; i <= length(t); i++) colour[k, i] = c }
    END { for (r = 1; r <= rows; r++) { line = ""
        for (f = 1; f <= fields[r]; f++) { k = r SUBSEP field[r, f]; t = text[k]; runs = ""; m = 0
            for (i = 1; i <= length(t); i++) {
                if (m && colour[k, i] != colour[k, i - 1]) { runs = runs colour[k, i - 1] m; m = 0 }
                m++ }
            runs = runs colour[k, length(t)] m
            if (t ~ /^  [0-2][0-9]:[0-5][0-9]:[0-5][0-9]       $/) t = "TIME"
            line = line (f > 1 ? " " : "") t ":" runs }
        print line } }'; }
binary() { local v=$1 w s=""; for w in 128 64 32 16 8 4 2 1; do
    if ((v >= w)); then s+=1 v=$((v - w)); else s+=0; fi; done; echo "$s"; }
# DATA/STATUS/CONTROL per row, newest first. The newest row shows the time in green, data and
# control in red and status in blue, but for the bits the masks always clear, in black.
rows_wanted() {
    local d s c newest=1
    for r in "$@"; do
        IFS=/ read -r d s c <<<"$r"
        if ((newest)); then
            echo "TIME:g17 $(binary $d):r8 $d:r${#d} $(binary $s):b5k3 $s:b${#s}" \
                "$(binary $c):k4r4 $c:r${#c}"
        else
            echo "TIME:k17 $(binary $d):k8 $d:k${#d} $(binary $s):k8 $s:k${#s} $(binary $c):k8" \
                "$c:k${#c}"
        fi
        newest=0
    done
}
has_rows() { seen=$(rows_seen | paste -sd '|'); [ "$seen" = "$1" ]; }
new_accesses() { accesses | grep -E '^(in|out) ' | tail -n +$((ported + 1)) | paste -sd ','; }
has_accesses() { seen=$(new_accesses); [ "$seen" = "$1" ]; }
ended() {
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    code=0
    wait "$pid" || code=$?
    pid=""
    [ "$code" = "$1" ] || fail "exit code $code"
}

n=0
while IFS= read -r line || [ -n "$line" ]; do
    n=$((n + 1))
    step=$line
    case $step in
    '' | '#'*) continue ;;
    "$backend: "*) step=${step#*: } ;;
    linux:\ * | windows:\ *) continue ;;
    esac
    eval "set -- ${step%%  #*}"
    verb=$1
    shift
    case $verb in
    start) start && expect_long is_shown Bytescope ;;
    key) mark=$(($(cat "$out/draw.log" 2>/dev/null | wc -l) + 1)) || true; xdotool key --delay 100 "$@" ;;
    type) mark=$(($(cat "$out/draw.log" 2>/dev/null | wc -l) + 1)) || true; xdotool type --delay 100 "$1" ;;
    pause) sleep "$1" ;;
    active) expect is_active "$1" ;;
    gone) expect is_gone "$1" ;;
    status) expect has_status "$*" ;;
    shows) expect shows "$1" "$2" ;;
    drawn) expect drew "$1 $2" ;;
    rows) expect has_rows "$(rows_wanted "$@" | paste -sd '|')" ;;
    port) expect has_accesses "$(sed 's/, /,/g' <<<"$*")"; ported=$(accesses | grep -cE '^(in|out) ' || true) ;;
    close) closebox "$1" ;;
    focus) xdotool search --name "^$1\$" windowfocus --sync ;;
    exit) ended "$1" ;;
    shot) import -window root "$out/$1.png" ;;
    *) fail "no such step" ;;
    esac
done <"${SCENARIO_SESSION:-$here/session.txt}"
echo "session.txt: every step as expected ($backend)"
