#!/bin/sh
# Validates the desktop entry and the AppStream metadata.
# Usage: tools/validate-data.sh BUILD_DIR   (the metadata is the one configured into BUILD_DIR/data)
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: $0 BUILD_DIR}
id=io.github.bytescope.Bytescope
metainfo=$(find "$build" -name "$id.metainfo.xml" -not -path '*/CMakeFiles/*' | head -n 1)
status=0

echo "desktop-file-validate data/$id.desktop"
desktop-file-validate "$here/data/$id.desktop" || status=1

if [ -z "$metainfo" ]; then
    echo "error: $id.metainfo.xml not found under $build (configure the project first)" >&2
    status=1
else
    echo "appstreamcli validate --no-net $metainfo"
    appstreamcli validate --no-net "$metainfo" || status=1
fi

if [ "$status" -eq 0 ]; then echo "data files valid"; else echo "data files INVALID" >&2; fi
exit "$status"
