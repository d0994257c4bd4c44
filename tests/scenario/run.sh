#!/usr/bin/env bash
# Drives session.txt against the Windows build in a virtual X display, as a person would, with
# xdotool: bytescope.exe under Wine, in the prefix WINEPREFIX names (tools/wine-scenario.sh), with
# the InpOut32 stand-in beside it that logs every port access. The window-text helper (peek.cpp)
# reads what the program shows, and Wine's relay trace what it draws. The Linux build runs the
# same session in session_test.cpp.
#   run.sh BUILD_DIR/bytescope.exe OUT_DIR
# Logs, and a screenshot of a failure, land in OUT_DIR. Ends at the first expectation not met
# within 5 s, saying what it saw instead.
set -euo pipefail
program=$(realpath "$1") out=$(realpath -m "$2") here=$(cd "$(dirname "$0")" && pwd)
if [ "${SCENARIO_IN_DISPLAY:-}" != 1 ]; then
    rm -rf "$out" && mkdir -p "$out"
    SCENARIO_IN_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
# Wine's desktop process belongs to the display it started on: a fresh server, none left behind.
wineserver -k 2>/dev/null || true
trap 'wineserver -k 2>/dev/null || true' EXIT
cp "$program" "${program%/*}"/{BYTESCOPE.HLP,BYTESCOPE.htm,tests/windows/driver/inpout*.dll} "$out/"
pid="" ported=0 seen=""

fail() { printf '%s\n' "session.txt:$n (windows): $line" "  saw: $*" >&2
    import -window root "$out/failed.png" || true; exit 1; }  # the trap ends the program
# Tries the check "$@" every 0.1 s, up to TRIES times; the check leaves what it saw in $seen.
expect() { for _ in $(seq "${TRIES:-50}"); do "$@" && return 0; sleep 0.1; done; fail "$seen"; }
# Whether what the command "${@:2}" prints is $1.
sees() { seen=$("${@:2}") || true; [ "$seen" = "$1" ]; }
peek() { wine "${program%/*}/tests/scenario/scenario_peek.exe" "$@" 2>/dev/null | tr -d '\r'; }
# "|TEXT" for each TEXT ("${@:2}") among the lines of $1, else "|" and all of them.
among() { local t s=""; for t in "${@:2}"; do s+="|$t"
    grep -qxF -- "$t" <<<"$1" || { echo "|$(paste -sd'|' <<<"$1")"; return; }; done; echo "$s"; }
# The active window's title and the texts "$@" as among sees them. Keys reach a window only once
# it has the X focus too. Without a window manager, Wine's own request for it can be lost (the X
# server ignores one whose time stamp is older than the last focus change), so the window Wine
# made active is given it, as a window manager would, and looked at again on the next try.
looks() { local all title x; all=$(peek) || { echo none; return; }
    title=${all%%$'\n'*} x=$(xdotool getwindowfocus getwindowname 2>&1) || true
    [ "$title" = "$x" ] || { all="X focus on $x: $all"
        xdotool search --onlyvisible --name "^$title\$" windowfocus >/dev/null 2>&1 || true; }
    echo "${all%%$'\n'*}$(among "$all" "$@")"; }
# "gone", "centred" (in the middle of the screen) or where the window titled $1 stands.
where() { local X="" Y WIDTH HEIGHT; eval "$(xdotool search --onlyvisible --name "^$1\$" \
    getwindowgeometry --shell 2>/dev/null | head -6)"; if [ -z "$X" ]; then echo gone
    elif (((2 * X + WIDTH - 1024) ** 2 + (2 * Y + HEIGHT - 768) ** 2 < 400)); then echo centred
    else echo "at $X,$Y, $WIDTH x $HEIGHT"; fi; }
# The main window's last paint as session_test.cpp's painted() sees it, from the relay trace of
# its thread: a line of texts ("TEXT:COLOURS", "|" between them) for each y, top first, and
# DrawTextA's lines (no place in the trace) first on a line of their own. A paint starts in black.
painted() { [ -n "${main:-}" ] || main=$(peek -m) || return 0
    awk -v tid="${main% *}" -v hwnd="${main#* }" '
    function hex(s, v, i) { for (i = 1; i <= length(s); i++)
        v = v * 16 + index("0123456789abcdef", tolower(substr(s, i, 1))) - 1; return v }
    function arg(n, a) { split(substr($0, index($0, "(") + 1), a, ","); return a[n] }
    function put(y, x, t, k, s, i) { k = y " " x; for (i = 1; i <= length(t); i++) s = s c
        if (length(t) > length(text[k])) text[k] = t; colour[k] = s substr(colour[k], i) }
    BEGIN { split("00ffffff w 0000ffff y 00000000 k 00007d00 g 000000eb r 00ff0000 b", m)
        for (i = 1; i < 12; i += 2) letter[m[i]] = m[i + 1] }
    index($0, tid ":Call ") != 1 { next }
    / user32\.BeginPaint\(/ && arg(1) == hwnd { split("", text); split("", colour); c = "k" }
    / gdi32\.SetTextColor\(/ { c = substr(arg(2), 1, 8); c = c in letter ? letter[c] : "?" }
    / gdi32\.TextOutA\(/ && match($0, /"[^"]*"/) { put(hex(arg(3)), hex(arg(2)),
        substr($0, RSTART + 1, hex(substr($0, RSTART + RLENGTH + 1, 8)))) }
    / user32\.DrawTextA\(/ && match($0, /"[^"]*"/) {
        n = split(substr($0, RSTART + 1, RLENGTH - 2), l, /\\n/)
        for (i = 1; i <= n; i++) if (l[i] != "") put(-1, ++d, l[i]) }
    END { for (k in text) { t = text[k]
        sub(/^  [0-2][0-9]:[0-5][0-9]:[0-5][0-9]       $/, "TIME", t); print k, t ":" colour[k] } }
    ' "$out/relay.log" | sort -s -n -k1,1 -k2,2 | awk '{ t = substr($0, length($1 $2) + 3) }
        $1 == y && NR > 1 { l = l "|" t; next } NR > 1 { print l } { l = t; y = $1 }
        END { if (NR) print l }'; }
drew() { among "$(painted | tr '|' '\n')" "$@"; }
rep() { printf "%$2s" | tr ' ' "$1"; }
bin() { local w s=""; for w in 128 64 32 16 8 4 2 1; do s+=$((($1 & w) != 0)); done; echo $s; }
# DATA/STATUS/CONTROL, newest first. The newest row shows the time in green, data and control in
# red and status in blue, but the bits that the masks always clear in black; older rows in black.
rows_wanted() { local d s c r tint=cat; for r in "$@"; do IFS=/ read -r d s c <<<"$r"
    echo "TIME:$(rep g 17)$(field $d rrrrrrrr r)$(field $s bbbbbkkk b)$(field $c kkkkrrrr r)" |
        $tint; tint="tr gbr kkk"; done; }
field() { echo "|$(bin $1):$2|$1:$(rep $3 ${#1})"; }
# The port accesses since the last port step, from the stand-in's log ("out 037a 0e"), in decimal.
accesses() { local s=""; tr -d '\r' <"$out/inpout-access.log" | tail -n +$((ported + 1)) |
    while read -r k p v; do printf '%s%s %d %d' "$s" "$k" "0x$p" "0x$v"; s=", "; done; }

n=0
while IFS= read -r line || [ -n "$line" ]; do
    n=$((n + 1)) step=${line%%  #*}
    case $step in '' | '#'* | "linux: "*) continue ;; "windows: "*) step=${step#*: } ;; esac
    eval "set -- $step"
    verb=$1 && shift
    case $verb in
    start) : >"$out/inpout-access.log"; main=""  # Wine's first start in a display takes longer
        WINEDEBUG=+relay wine "$out/bytescope.exe" 2>"$out/relay.log" & pid=$!
        TRIES=600 expect eval '! sees gone where Bytescope'
        timeout 10 xdotool search --name '^Bytescope$' windowfocus --sync || true; expect sees Bytescope looks ;;
    key) xdotool key --delay 100 "$@" ;;
    type) xdotool type --delay 100 "$1" ;;
    pause) sleep "$1" ;;
    active) expect sees "$(IFS='|' && echo "$*")" looks "${@:2}" ;;
    gone | centred) expect sees $verb where "$1" ;;
    status) expect sees "$(printf 'Bytescope\n%s' "$*")" eval 'peek Bytescope | sed 2q' ;;
    drawn) c=${1:0:1} w=(); [ $1 = black ] && c=k
        for t in "${@:2}"; do w+=("$t:$(rep $c ${#t})"); done
        expect sees "$(printf '|%s' "${w[@]}")" drew "${w[@]}" ;;
    rows) expect sees "$(rows_wanted "$@")" eval 'painted | tail -n +2' ;;
    port) expect sees "$*" accesses && ported=$(wc -l <"$out/inpout-access.log") ;;
    close) xdotool mousemove $(peek -c "$1") click 1 || fail "no close box" ;;
    default) expect sees "$2" peek -d "$1" ;;
    disabled) expect sees disabled peek -e "$1" ;;
    minimise) peek -n "$1" ;;
    restore) peek -r "$1" ;;
    focus) xdotool search --name "^$1\$" windowfocus --sync ;;
    exit) TRIES=100 expect sees ended eval 'kill -0 $pid 2>/dev/null && echo running || echo ended'
        code=0 && wait "$pid" || code=$?; pid="" && [ "$code" = "$1" ] || fail "exit code $code" ;;
    *) fail "no such step" ;;
    esac
done <"$here/session.txt"
echo "session.txt: every step as expected (windows)"
