#!/usr/bin/env bash
# bytescope-cli as a script runs it: its own process, its standard output full, closed or a pipe
# whose reader goes away, ended by signals, on the simulated port.
#   process.sh BYTESCOPE_CLI VERSION
set -uo pipefail
cli=$1 tmp=$(mktemp -d) failed=0 version=$2
trap 'rm -rf "$tmp"' EXIT
echo kept >"$tmp/kept.vcd"
# check STATUS STDERR COMMAND: the command line (run by bash, $cli in it) ends with STATUS and
# its standard error matches the pattern STDERR.
check() { local got; timeout 10 bash -c "$3" "${4:-_}" "$cli" 2>"$tmp/err"; got=$?
    [ "$got" = "$1" ] && [[ "$(cat "$tmp/err")" == $2 ]] && return
    printf 'FAILED: %s\n  status %s, stderr: %s\n' "$3" "$got" "$(cat "$tmp/err")"; failed=1; }
check 0 "" '[ "$("$1" --version)" = "bytescope-cli '"$version"'" ]' # the project's one version number
check 1 "*/dev/nonexistent does not exist*" '"$1" --port /dev/nonexistent watch --vcd "$0"; s=$?
    [ "$(cat "$0")" = kept ] || exit 99; exit $s  # a trace file not emptied for nothing' "$tmp/kept.vcd"
check 2 'bytescope-cli: INVALID ENTRY: "1.5" (expected 0-255*' '"$1" --port simulated write data 1.5'
check 3 "*0 of 1 low levels on pin 10 (nACK) within 0.1 s" '"$1" -q --port simulated wait 10 low --timeout 0.1'
check 4 "*cannot write standard output: No space left on device" '"$1" -q --port simulated read >/dev/full'
check 4 "*cannot write standard output: Bad file descriptor" '"$1" -q --port simulated pins >&-'
check 4 '*cannot write "/nonexistent/t.vcd": No such file*' '"$1" -q --port simulated watch --vcd /nonexistent/t.vcd'
# A reader gone: quietly 141, also before a quiet port's watch sees its second change.
check 141 "" '"$1" -q --port simulated watch | head -1 >/dev/null; exit ${PIPESTATUS[0]}'
check 141 "" '{ sleep 0.3; "$1" -q --port simulated pins; } | true; exit ${PIPESTATUS[0]}'
# A watch stopped by a signal once it has printed ends with 128 + its number, its summary said.
# With job control, SIGINT is not ignored in a background job; one ignored from the start (nohup)
# stays ignored, and the watch goes on to the next signal. Killed after 5 s: 137.
for signals in HUP:129 INT:130 TERM:143 "HUP TERM:143"; do
    got=$(exec 2>/dev/null; set -m; rm -f "$tmp/out"; [ "$signals" = "HUP TERM:143" ] && trap '' HUP
        "$cli" --port simulated watch --interval 10ms >"$tmp/out" 2>&1 &
        for _ in $(seq 50); do [ -s "$tmp/out" ] && break; sleep 0.1; done
        for s in ${signals%:*}; do kill -"$s" $! && sleep 0.2; done
        for _ in $(seq 50); do kill -0 $! && sleep 0.1; done; kill -KILL $!; wait $!; echo $?)
    [ "$got" = "${signals#*:}" ] && grep -q "^watch: [0-9]* samples, 0 changes in" "$tmp/out" ||
        { echo "FAILED: a watch sent $signals: status $got, $(cat "$tmp/out")"; failed=1; }
done
# Ctrl+C to a script's loop ends the loop too: the watch ends by the signal itself (the shell
# then stops), once the port is released. Had it gone on, the next watch is killed: 137.
got=$(exec 2>/dev/null; set -m; rm -f "$tmp/out"
    bash -c 'for _ in 1 2; do "$0" --port simulated watch >"$1" 2>&1; done' "$cli" "$tmp/out" &
    for _ in $(seq 50); do [ -s "$tmp/out" ] && break; sleep 0.1; done
    kill -INT -$! && sleep 0.5; kill -KILL -$!; wait $!; echo $?)
[ "$got" = 130 ] || { echo "FAILED: Ctrl+C to a loop of watches: status $got"; failed=1; }
exit $failed
