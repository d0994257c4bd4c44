#!/usr/bin/env bash
# The scripted session (tests/scenario/session.txt) against a Windows build under Wine, in the
# prefix WINEPREFIX names, which it prepares for the session: Wine's relay trace limited to the
# program's drawing calls, and Notepad as the handler of HTML files, the stand-in for the browser
# that Help Topics hands the manual to.
# Usage: tools/wine-scenario.sh BUILD_DIR OUT_DIR   (BUILD_DIR: build-windows/x64 or x86)
set -euo pipefail
build=$(realpath "$1") out=$2
here=$(cd "$(dirname "$0")/.." && pwd)
: "${WINEPREFIX:?}"
wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /f \
    /d 'gdi32.TextOutA;gdi32.SetTextColor;user32.DrawTextA;user32.BeginPaint' >/dev/null 2>&1
for ext in .htm .html; do
    wine reg add "HKCR\\$ext" /ve /d BytescopeScenario.html /f >/dev/null 2>&1
done
wine reg add 'HKCR\BytescopeScenario.html\shell\open\command' /ve /d 'notepad.exe "%1"' /f \
    >/dev/null 2>&1
"$here/tests/scenario/run.sh" "$build/bytescope.exe" "$out"
