#!/usr/bin/env bash
# Builds the guest's initramfs: busybox, the parallel-port modules, the given programs with the
# shared libraries ldd names, users root, lpuser (in group lp) and other (not in it), and /init.
# Usage: tools/kernel/initramfs.sh CACHE OUT.cpio PROGRAM...
set -euo pipefail
cache=$1 out=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

chmod 755 "$tree"
mkdir -p "$tree"/{bin,etc,proc,sys,dev,tmp,lib/modules,home/lpuser,home/other}
cp "$cache/busybox" "$tree/bin/"
for applet in $("$cache/busybox" --list); do
    [ "$applet" = busybox ] || ln -s busybox "$tree/bin/$applet"
done
cp "$cache"/modules/*.ko "$tree/lib/modules/"
for program in "$@"; do
    cp "$program" "$tree/bin/"
    for lib in $(ldd "$program" | grep -o '/[^ ]*'); do
        mkdir -p "$tree$(dirname "$lib")"
        cp -L "$lib" "$tree$lib"
    done
done
cat >"$tree/etc/passwd" <<'EOF'
root:x:0:0:root:/root:/bin/sh
lpuser:x:1000:1000:in group lp:/home/lpuser:/bin/sh
other:x:1001:1001:not in group lp:/home/other:/bin/sh
EOF
cat >"$tree/etc/group" <<'EOF'
root:x:0:
lp:x:7:lpuser
lpuser:x:1000:
other:x:1001:
EOF
chown 1000:1000 "$tree/home/lpuser"
chown 1001:1001 "$tree/home/other"
chmod 1777 "$tree/tmp"
install -m 755 "$here/init" "$tree/init"
(cd "$tree" && find . | cpio -o -H newc --quiet) >"$out"
