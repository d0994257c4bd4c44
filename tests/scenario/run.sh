#!/usr/bin/env bash
# Drives session.txt against one build in a virtual X display, as a person would, with xdotool:
#   run.sh linux PROGRAM OUT_DIR     the Linux program (back end: support/linux.sh)
#   run.sh windows PROGRAM OUT_DIR   bytescope.exe under Wine, in the prefix WINEPREFIX names
#                                    (tools/wine-scenario.sh; back end: support/windows.sh)
# SCENARIO_SUPPORT names the folder of the built helpers; SCENARIO_SESSION another session file.
# Screenshots (shot steps) and logs land in OUT_DIR. Ends at the first expectation not met within
# 5 s, saying what it saw instead.
set -euo pipefail
backend=$1 program=$(realpath "$2") out=$(realpath -m "$3")
support=$(realpath "${SCENARIO_SUPPORT:?}") here=$(cd "$(dirname "$0")" && pwd)
session=${SCENARIO_SESSION:-$here/session.txt}
if [ "${SCENARIO_IN_DISPLAY:-}" != 1 ]; then
    rm -rf "$out" && mkdir -p "$out"
    SCENARIO_IN_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
pid="" mark=1 ported=0
. "$here/support/$backend.sh"

fail() { printf '%s\n' "$(basename "$session"):$n ($backend): $line" "  saw: $*" >&2
    [ -z "$pid" ] || kill "$pid" 2>/dev/null; exit 1; }
# Tries the check "$@" every 0.1 s, up to TRIES times; the check leaves what it saw in $seen.
expect() { for _ in $(seq "${TRIES:-50}"); do "$@" && return 0; sleep 0.1; done; fail "$seen"; }
is_active() { seen=$(active) || true; [ "$seen" = "$1" ]; }
is_shown() { seen=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null) || true
    [ -n "$seen" ]; }
is_gone() { ! is_shown "$1"; }
is_centred() { local X=-9999 Y=0 WIDTH=0 HEIGHT=0; eval "$(xdotool search --onlyvisible --name \
    "^$1\$" getwindowgeometry --shell | head -6)"; seen="at $X,$Y, $WIDTH x $HEIGHT"
    (((2 * X + WIDTH - 1024) ** 2 + (2 * Y + HEIGHT - 768) ** 2 < 400)); }
has_status() { seen=$(status); [ "$seen" = "$1" ]; }
shows() { seen=$(texts "$1" | sort -u | paste -sd '|'); texts "$1" | grep -qxF -- "$2"; }
# The texts of the main window's last paint, "X Y #rrggbb TEXT".
last_paint() { drawing | awk '$0 == "paint" { n = 0; next } { l[++n] = $0 }
    END { for (i = 1; i <= n; i++) print l[i] }'; }
drew() { seen=$(last_paint | cut -d' ' -f3- | paste -sd '|'); last_paint | cut -d' ' -f3- |
    grep -qxF -- "$(sed 's/^white/#ffffff/; s/^yellow/#ffff00/; s/^black/#000000/' <<<"$1")"; }
# The rows under the header, newest first: each field as its text and its characters' colours
# (g green, r red, b blue, k black; "b5k3" is 5 blue, then 3 black). A text drawn again over a
# field's start colours those characters anew.
rows_seen() { last_paint | awk '{ t = substr($0, length($1 $2 $3) + 4) } t ~ /^     Time/ { next }
    { c = $3 == "#007d00" ? "g" : $3 == "#eb0000" ? "r" : $3 == "#0000ff" ? "b" : \
          $3 == "#000000" ? "k" : $3
      if (!($2 in row)) row[$2] = ++rows
      k = row[$2] SUBSEP $1
      if (!(k in text)) field[row[$2], ++fields[row[$2]]] = $1
      if (length(t) > length(text[k])) text[k] = t
      for (i = 1; i <= length(t); i++) colour[k, i] = c }
    END { for (r = 1; r <= rows; r++) { line = ""
        for (f = 1; f <= fields[r]; f++) { k = r SUBSEP field[r, f]; t = text[k]; runs = ""; m = 0
            for (i = 1; i <= length(t); i++) {
                if (m && colour[k, i] != colour[k, i - 1]) { runs = runs colour[k, i - 1] m; m = 0 }
                m++ }
            if (t ~ /^  [0-2][0-9]:[0-5][0-9]:[0-5][0-9]       $/) t = "TIME"
            line = line (f > 1 ? " " : "") t ":" runs colour[k, length(t)] m }
        print line } }'; }
binary() { local w s=""; for w in 128 64 32 16 8 4 2 1; do s+=$((($1 & w) != 0)); done; echo $s; }
# DATA/STATUS/CONTROL, newest first. The newest row shows the time in green, data and control in
# red and status in blue, but the bits that the masks always clear in black; older rows in black.
rows_wanted() { local d s c r t=g o=r i=b sb=b5k3 cb=k4r4
    for r in "$@"; do IFS=/ read -r d s c <<<"$r"
        echo "TIME:${t}17 $(binary $d):${o}8 $d:$o${#d} $(binary $s):$sb $s:$i${#s}" \
            "$(binary $c):$cb $c:$o${#c}"
        t=k o=k i=k sb=k8 cb=k8; done | paste -sd '|'; }
has_rows() { seen=$(rows_seen | paste -sd '|'); [ "$seen" = "$1" ]; }
port_lines() { accesses | grep -E '^(in|out) ' || true; }
has_accesses() { seen=$(port_lines | tail -n +$((ported + 1)) | paste -sd ,); [ "$seen" = "$1" ]; }
# The drawing log's length before a key: a window's texts are those shown after it.
remember() { mark=$(($(cat "$out/draw.log" 2>/dev/null | wc -l) + 1)) || true; }
has_ended() { seen="still running"; ! kill -0 "$pid" 2>/dev/null; }
ended() { TRIES=100 expect has_ended; code=0; wait "$pid" || code=$?; pid=""
    [ "$code" = "$1" ] || fail "exit code $code"; }

n=0
while IFS= read -r line || [ -n "$line" ]; do
    n=$((n + 1)) step=${line%%  #*}
    case $step in
    '' | '#'*) continue ;;
    "$backend: "*) step=${step#*: } ;;
    linux:\ * | windows:\ *) continue ;;
    esac
    eval "set -- $step"
    verb=$1 && shift
    case $verb in
    # Wine's first start in a display takes longer.
    start) start && TRIES=300 expect is_shown Bytescope ;;
    key) remember && xdotool key --delay 100 "$@" ;;
    type) remember && xdotool type --delay 100 "$1" ;;
    pause) sleep "$1" ;;
    active) expect is_active "$1" ;;
    gone) expect is_gone "$1" ;;
    centred) expect is_centred "$1" ;;
    status) expect has_status "$*" ;;
    shows) expect shows "$1" "$2" ;;
    drawn) expect drew "$1 $2" ;;
    rows) expect has_rows "$(rows_wanted "$@")" ;;
    port) expect has_accesses "$(sed 's/, /,/g' <<<"$*")" && ported=$(port_lines | wc -l) ;;
    close) closebox "$1" ;;
    focus) xdotool search --name "^$1\$" windowfocus --sync ;;
    exit) ended "$1" ;;
    shot) import -window root "$out/$1.png" ;;
    *) fail "no such step" ;;
    esac
done <"$session"
echo "$(basename "$session"): every step as expected ($backend)"
