#!/bin/sh
# Renders the checked-in PNG icons from data/bytescope.svg. Run after editing the SVG.
# Needs rsvg-convert (Debian package librsvg2-bin).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
for size in 16 32 48 64 128 256; do
    mkdir -p "$here/${size}x${size}"
    rsvg-convert -w "$size" -h "$size" "$here/../bytescope.svg" -o "$here/${size}x${size}/bytescope.png"
done
