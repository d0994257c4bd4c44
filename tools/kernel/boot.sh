#!/usr/bin/env bash
# Boots one machine: the cached kernel, the initramfs with SCENARIO as its /scenario, and an
# emulated ISA parallel port for each BASE:IRQ, whose output lands in OUT/lpt-BASE. The guest's
# console goes to OUT/console, its results to OUT/results. QEMU is ended after SECONDS.
# Usage: ACCEL=tcg|kvm tools/kernel/boot.sh CACHE INITRD SCENARIO OUT SECONDS "APPEND" [BASE:IRQ...]
set -euo pipefail
cache=$1 initrd=$2 scenario=$3 out=$4 seconds=$5 append=$6
shift 6
rm -rf "$out"
mkdir -p "$out/root"
cp "$scenario" "$out/root/scenario"
# A second archive after the first adds /scenario to the same initramfs.
(cd "$out/root" && echo scenario | cpio -o -H newc --quiet -R 0:0) | cat "$initrd" - >"$out/initrd"

ports=()
n=0
for port in "$@"; do
    base=${port%:*} irq=${port#*:}
    : >"$out/lpt-$base"
    ports+=(-chardev "file,id=lpt$n,path=$out/lpt-$base"
            -device "isa-parallel,chardev=lpt$n,iobase=$base,irq=$irq")
    n=$((n + 1))
done

# -nodefaults: no parallel port, serial port or display but those named here.
status=0
timeout -k 5 "$seconds" qemu-system-x86_64 -accel "${ACCEL:-tcg}" -nodefaults -display none \
    -no-reboot -m 256 -kernel "$cache/kernel" -initrd "$out/initrd" \
    -append "console=ttyS0 panic=-1 quiet $append" \
    -serial "file:$out/console" -serial "file:$out/results" "${ports[@]}" \
    >"$out/qemu.log" 2>&1 || status=$?
touch "$out/results"
tr -d '\r' <"$out/results" >"$out/results.txt"
exit $status
