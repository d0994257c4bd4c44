#!/usr/bin/env bash
# bytescope-cli as a script runs it: its own process, its standard output full, closed or a pipe
# whose reader goes away, ended by signals, on the simulated port.
#   process.sh BYTESCOPE_CLI
set -uo pipefail
cli=$1 tmp=$(mktemp -d) failed=0
trap 'rm -rf "$tmp"' EXIT
# check STATUS STDERR COMMAND: the command line (run by bash, $cli in it) ends with STATUS and
# its standard error is STDERR.
check() { local got; timeout 10 bash -c "$3" _ "$cli" 2>"$tmp/err"; got=$?
    [ "$got" = "$1" ] && [ "$(cat "$tmp/err")" = "$2" ] && return
    printf 'FAILED: %s\n  status %s, stderr: %s\n' "$3" "$got" "$(cat "$tmp/err")"; failed=1; }
check 0 "" 'out=$("$1" -q --port simulated wait nACK high) &&
    [ "${out#* }" = "00000000 0 11111000 248 00000111 7" ]'
check 1 "bytescope-cli: /dev/nonexistent does not exist - load the port drivers (sudo modprobe \
parport_pc ppdev)" '"$1" --port /dev/nonexistent read'
check 2 "bytescope-cli: INVALID ENTRY: \"1.5\" (expected 0-255: one to three decimal digits, eight \
binary digits or 0x0-0xFF)" '"$1" --port simulated write data 1.5'
check 3 "bytescope-cli: wait: 0 of 1 low levels on pin 10 (nACK) within 0.1 s" \
    '"$1" -q --port simulated wait 10 low --timeout 0.1'
check 4 "bytescope-cli: cannot write standard output: No space left on device" \
    '"$1" -q --port simulated read --count 3 >/dev/full'
check 4 "bytescope-cli: cannot write standard output: Bad file descriptor" \
    '"$1" -q --port simulated pins >&-'
check 4 'bytescope-cli: cannot write "/nonexistent/t.vcd": No such file or directory' \
    '"$1" -q --port simulated watch --vcd /nonexistent/t.vcd'
# A reader gone: quietly 141, also before a quiet port's watch sees its second change.
check 141 "" '"$1" -q --port simulated watch | head -1 >/dev/null; exit ${PIPESTATUS[0]}'
check 141 "" '{ sleep 0.3; "$1" -q --port simulated pins; } | true; exit ${PIPESTATUS[0]}'
# A watch stopped by a signal once it has printed: 128 + the signal, the summary on stderr. A
# background job starts with SIGINT ignored; Ctrl+C from a script's kill still counts.
for signal in HUP:129 INT:130 TERM:143; do
    check "${signal#*:}" "" '"$1" --port simulated watch --interval 10ms >"'"$tmp"'/out" 2>&1 &
        for _ in $(seq 50); do [ -s "'"$tmp"'/out" ] && break; sleep 0.1; done
        kill -'"${signal%:*}"' $! && wait $!; s=$?
        grep -q "^watch: [0-9]* samples, 0 changes in" "'"$tmp"'/out" && exit $s'
done
exit $failed
