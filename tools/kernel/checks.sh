# The host-side helpers of a machine's check function (sourced by tools/kernel-tests.sh), reading
# the guest's results in $results and the emulated ports' output in $machine_out.

# out|err LABEL: what the guest's command wrote to its output or its errors.
out() { sed -n "s/^$1|out|//p" "$results"; }
err() { sed -n "s/^$1|err|//p" "$results"; }
# rc|ms LABEL: its exit status, and how long it ran in milliseconds (10 ms steps).
rc() { sed -n "s/^$1|rc|//p" "$results"; }
ms() { sed -n "s/^$1|ms|//p" "$results"; }
# status LABEL: the status line bytescope-cli wrote first on its errors, without the program name.
status() { err "$1" | head -1 | sed 's/^bytescope-cli: //'; }
# reading LABEL: the last reading the command printed, without its time.
reading() { out "$1" | tail -1 | cut -d' ' -f2-; }
# lpt BASE: the bytes the emulated port at BASE sent, as text.
lpt() { cat "$machine_out/lpt-$1"; }

# scenario NAME WHAT: the checks that follow make up one reported scenario.
scenario() {
    finish
    scenario_name=$1 what=$2 failures=() checks=0
}

# is ACTUAL EXPECTED: one check of the current scenario, failed unless the two texts are equal.
# ok COMMAND...: one check, failed when COMMAND fails. A failure names the check's line.
is() { check_that "got '$1', wanted '$2'" [ "$1" = "$2" ]; }
ok() { check_that "failed: $*" "$@"; }
check_that() {
    local where="${BASH_SOURCE[2]##*/}:${BASH_LINENO[1]}" message=$1
    shift
    checks=$((checks + 1))
    "$@" || failures+=("$where: $message")
}

# Prints the current scenario's line, and each failed check under it.
finish() {
    [ -n "${scenario_name:-}" ] || return 0
    if [ ${#failures[@]} -eq 0 ]; then
        echo "PASS $scenario_name: $what ($checks checks)"
    else
        echo "FAIL $scenario_name: $what (${#failures[@]} of $checks checks failed; guest output in $results)"
        printf '     %s\n' "${failures[@]}"
        failed=$((failed + 1))
    fi
    scenario_name=""
}
