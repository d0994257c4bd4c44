#!/usr/bin/env bash
# Tests bytescope-cli against the real Linux parallel-port drivers: boots Debian's kernel in QEMU,
# with emulated ISA parallel ports, once per machine described in tests/kernel/machine-*.sh
# (what they share is in tests/kernel/common.sh), runs the machine's guest function there and
# checks on the host what came back and what the emulated ports sent. Prints one line per scenario and the time taken; exits non-zero on any failure.
# Where QEMU cannot run it says why and exits 0, except under CI (CI=true), where that fails.
# Usage: tools/kernel-tests.sh BUILD_DIR [MACHINE...]   (MACHINE: 888 for machine-888.sh; all
# machines when none is named)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "$1" && pwd)
shift
machines=("$@")
work=$build/kernel-tests
started=$SECONDS
mkdir -p "$work"

cannot_run() {
    if [ "${CI:-}" = true ]; then
        echo "FAIL kernel tests: QEMU cannot run here: $1"
        exit 1
    fi
    echo "kernel tests SKIPPED: $1"
    exit 0
}

cli=$build/bytescope-cli
[ -x "$cli" ] || { echo "FAIL kernel tests: no $cli (build it first)"; exit 1; }
[ "$(uname -m)" = x86_64 ] || cannot_run "the guest kernel is amd64 and this machine is $(uname -m)"
command -v apt-get >/dev/null || cannot_run "no apt-get to fetch QEMU and Debian's kernel"
tools/install-packages.sh qemu-system-x86 cpio xz-utils sigrok-cli >"$work/install.log" 2>&1 ||
    cannot_run "installing qemu-system-x86 or sigrok-cli failed (see $work/install.log)"
cache=$(tools/kernel/fetch.sh "$build/kernel-cache" 2>"$work/fetch.log") ||
    cannot_run "fetching Debian's kernel and busybox failed (see $work/fetch.log)"
tools/kernel/initramfs.sh "$cache" "$work/base.cpio" "$cli"

# A machine with nothing to do, to learn whether QEMU runs here at all, and with which
# accelerator: KVM only where the processor offers it and a guest really boots with it.
echo 'run hello root true' >"$work/hello"
boots() { ACCEL=$1 tools/kernel/boot.sh "$cache" "$work/base.cpio" "$work/hello" "$work/hello.out" \
    "$2" "" && grep -qx END "$work/hello.out/results.txt"; }
if [ -w /dev/kvm ] && grep -qE '^flags.* (vmx|svm)( |$)' /proc/cpuinfo && boots kvm 20; then
    export ACCEL=kvm
elif boots tcg 60; then
    export ACCEL=tcg
else
    cannot_run "QEMU could not boot the kernel (see $work/hello.out/)"
fi
echo "kernel tests: $(basename "$cache") under QEMU with $ACCEL"

. tools/kernel/checks.sh
. tests/kernel/common.sh
failed=0
[ ${#machines[@]} -gt 0 ] || machines=($(ls tests/kernel/machine-*.sh | sed 's/.*machine-//; s/\.sh$//'))
for m in "${machines[@]}"; do
    machine=tests/kernel/machine-$m.sh
    unset -f guest check
    PORTS="" APPEND="" SECONDS_BOUND=60
    . "$machine"
    machine_out=$work/$(basename "$machine" .sh)
    { declare -f guest send_a; echo guest; } >"$work/scenario"
    # shellcheck disable=SC2086 # PORTS is a list of BASE:IRQ words
    tools/kernel/boot.sh "$cache" "$work/base.cpio" "$work/scenario" "$machine_out" \
        "$SECONDS_BOUND" "$APPEND" $PORTS || true
    results=$machine_out/results.txt
    if ! grep -sqx END "$results"; then
        echo "FAIL $machine: the guest did not finish within $SECONDS_BOUND s (see $machine_out/)"
        failed=$((failed + 1))
    fi
    check
    finish
done
echo "kernel tests: $failed failed, in $((SECONDS - started)) s"
[ "$failed" -eq 0 ]
