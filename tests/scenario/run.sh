#!/usr/bin/env bash
# Drives session.txt against the Windows build in a virtual X display, as a person would, with
# xdotool: bytescope.exe under Wine, in the prefix WINEPREFIX names (tools/wine-scenario.sh; back
# end: support/windows.sh). The Linux build runs the same session in session_test.cpp.
#   run.sh PROGRAM OUT_DIR
# SCENARIO_SUPPORT names the folder of the built helpers; SCENARIO_SESSION another session file.
# Screenshots (shot steps) and logs land in OUT_DIR. Ends at the first expectation not met within
# 5 s, saying what it saw instead.
set -euo pipefail
program=$(realpath "$1") out=$(realpath -m "$2")
support=$(realpath "${SCENARIO_SUPPORT:?}") here=$(cd "$(dirname "$0")" && pwd)
session=${SCENARIO_SESSION:-$here/session.txt}
if [ "${SCENARIO_IN_DISPLAY:-}" != 1 ]; then
    rm -rf "$out" && mkdir -p "$out"
    SCENARIO_IN_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
pid="" ported=0
. "$here/support/windows.sh"

fail() { printf '%s\n' "$(basename "$session"):$n (windows): $line" "  saw: $*" >&2
    [ -z "$pid" ] || kill "$pid" 2>/dev/null; exit 1; }
# Tries the check "$@" every 0.1 s, up to TRIES times; the check leaves what it saw in $seen.
expect() { for _ in $(seq "${TRIES:-50}"); do "$@" && return 0; sleep 0.1; done; fail "$seen"; }
# Whether what the command "${@:2}" prints is $1.
sees() { seen=$("${@:2}") || true; [ "$seen" = "$1" ]; }
is_shown() { seen=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null) || true
    [ -n "$seen" ]; }
is_gone() { ! is_shown "$1"; }
is_centred() { local X=-9999 Y=0 WIDTH=0 HEIGHT=0; eval "$(xdotool search --onlyvisible --name \
    "^$1\$" getwindowgeometry --shell | head -6)"; seen="at $X,$Y, $WIDTH x $HEIGHT"
    (((2 * X + WIDTH - 1024) ** 2 + (2 * Y + HEIGHT - 768) ** 2 < 400)); }
shows() { seen=$(texts "$1" | sort -u | paste -sd '|'); texts "$1" | grep -qxF -- "$2"; }
# The texts of the main window's last paint, "X Y #rrggbb TEXT".
last_paint() { drawing | awk '$0 == "paint" { n = 0; next } { l[++n] = $0 }
    END { for (i = 1; i <= n; i++) print l[i] }'; }
drew() { seen=$(last_paint | cut -d' ' -f3- | paste -sd '|'); last_paint | cut -d' ' -f3- |
    grep -qxF -- "$(sed 's/^white/#ffffff/; s/^yellow/#ffff00/; s/^black/#000000/' <<<"$1")"; }
# The rows under the header, top (newest) first, each field left to right as its text (the time
# as TIME) and its characters' colours, g green, r red, b blue, k black: a text drawn again over a
# field's start colours those characters anew.
rows_seen() { last_paint | sort -s -n -k2,2 -k1,1 | awk '
    function field() { if (text !~ /^(     Time.*)?$/) line = line (line == "" ? "" : " ") \
        (text ~ /^  [0-2][0-9]:[0-5][0-9]:[0-5][0-9]       $/ ? "TIME" : text) ":" col
        text = col = "" }
    $2 != y { field(); if (line != "") print line; line = "" }
    $1 != x || $2 != y { field(); x = $1; y = $2 }
    { t = substr($0, length($1 $2 $3) + 4); if (length(t) > length(text)) text = t
      c = $3 == "#007d00" ? "g" : $3 == "#eb0000" ? "r" : $3 == "#0000ff" ? "b" : \
          $3 == "#000000" ? "k" : "?"
      s = ""; for (i = 1; i <= length(t); i++) s = s c; col = s substr(col, length(t) + 1) }
    END { field(); if (line != "") print line }' | paste -sd '|'; }
binary() { local w s=""; for w in 128 64 32 16 8 4 2 1; do s+=$((($1 & w) != 0)); done; echo $s; }
all() { echo "$2:$(printf "%${#2}s" | tr ' ' "$1")"; }
# DATA/STATUS/CONTROL, newest first. The newest row shows the time in green, data and control in
# red and status in blue, but the bits that the masks always clear in black; older rows in black.
rows_wanted() { local d s c r tint=cat
    for r in "$@"; do IFS=/ read -r d s c <<<"$r"
        echo "TIME:$(printf %17s | tr ' ' g) $(binary $d):rrrrrrrr $(all r $d)" \
            "$(binary $s):bbbbbkkk $(all b $s) $(binary $c):kkkkrrrr $(all r $c)" | $tint
        tint="tr gbr kkk"; done | paste -sd '|'; }
has_accesses() { seen=$(accesses | tail -n +$((ported + 1)) | paste -sd ,); [ "$seen" = "$1" ]; }
has_ended() { seen="still running"; ! kill -0 "$pid" 2>/dev/null; }
ended() { TRIES=100 expect has_ended; code=0; wait "$pid" || code=$?; pid=""
    [ "$code" = "$1" ] || fail "exit code $code"; }

n=0
while IFS= read -r line || [ -n "$line" ]; do
    n=$((n + 1)) step=${line%%  #*}
    case $step in
    '' | '#'*) continue ;;
    "windows: "*) step=${step#*: } ;;
    "linux: "*) continue ;;
    esac
    eval "set -- $step"
    verb=$1 && shift
    case $verb in
    # Wine's first start in a display takes longer.
    start) start && TRIES=300 expect is_shown Bytescope ;;
    key) xdotool key --delay 100 "$@" ;;
    type) xdotool type --delay 100 "$1" ;;
    pause) sleep "$1" ;;
    active) expect sees "$1" active ;;
    gone) expect is_gone "$1" ;;
    centred) expect is_centred "$1" ;;
    status) expect sees "$*" status ;;
    shows) expect shows "$1" "$2" ;;
    drawn) expect drew "$1 $2" ;;
    rows) expect sees "$(rows_wanted "$@")" rows_seen ;;
    port) expect has_accesses "$(sed 's/, /,/g' <<<"$*")" && ported=$(accesses | wc -l) ;;
    close) closebox "$1" ;;
    focus) xdotool search --name "^$1\$" windowfocus --sync ;;
    exit) ended "$1" ;;
    shot) import -window root "$out/$1.png" ;;
    *) fail "no such step" ;;
    esac
done <"$session"
echo "$(basename "$session"): every step as expected (windows)"
