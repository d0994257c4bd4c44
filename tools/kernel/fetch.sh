#!/usr/bin/env bash
# Unpacks Debian's own kernel (with its parallel-port modules) and busybox from their packages
# into a cache, without installing either on this machine. Prints the cache folder that holds
# kernel (vmlinux for QEMU's direct PVH entry, else the compressed vmlinuz), modules/ and busybox.
# Usage: tools/kernel/fetch.sh CACHE_ROOT
set -euo pipefail
root=$1

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
image() { apt-cache depends linux-image-amd64 2>/dev/null | awk '/Depends: linux-image-/ {print $2; exit}'; }
name=$(image)
if [ -z "$name" ]; then # no package lists yet
    $sudo apt-get update -qq
    name=$(image)
fi
[ -n "$name" ] || { echo "fetch: no linux-image-amd64 package known to apt" >&2; exit 1; }
cache=$root/$name
if [ -s "$cache/kernel" ]; then
    echo "$cache"
    exit 0
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
(cd "$tmp" && apt-get download "$name" busybox-static) >"$tmp/log" 2>&1 ||
    { cat "$tmp/log" >&2; exit 1; }
dpkg-deb --fsys-tarfile "$tmp/$name"_*.deb | tar -x -C "$tmp" --wildcards './boot/vmlinuz-*' \
    '*/drivers/parport/parport.ko' '*/drivers/parport/parport_pc.ko' \
    '*/drivers/char/ppdev.ko' '*/drivers/char/lp.ko'
dpkg-deb --fsys-tarfile "$tmp"/busybox-static_*.deb | tar -x -C "$tmp" ./bin/busybox

mkdir -p "$tmp/out/modules"
find "$tmp/lib" -name '*.ko' -exec cp {} "$tmp/out/modules/" \;
cp "$tmp/bin/busybox" "$tmp/out/busybox"
# The vmlinuz is a decompressor wrapped around an xz stream that holds the ELF kernel; booting
# that ELF directly skips the decompression, which takes seconds without KVM.
vmlinuz=$(echo "$tmp"/boot/vmlinuz-*)
offset=$(LC_ALL=C grep -obUaP '\xfd7zXZ\x00' "$vmlinuz" | head -1 | cut -d: -f1)
if [ -n "$offset" ]; then
    tail -c +$((offset + 1)) "$vmlinuz" | xz -dcq >"$tmp/out/vmlinux" 2>/dev/null || true
fi
if [ "$(head -c 4 "$tmp/out/vmlinux" 2>/dev/null)" = $'\x7fELF' ]; then
    mv "$tmp/out/vmlinux" "$tmp/out/kernel"
else
    rm -f "$tmp/out/vmlinux"
    cp "$vmlinuz" "$tmp/out/kernel"
fi
mkdir -p "$root"
rm -rf "$cache"
mv "$tmp/out" "$cache"
echo "$cache"
