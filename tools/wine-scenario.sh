#!/usr/bin/env bash
# The scripted session (tests/scenario/session.txt) against a Windows build under Wine, in the
# prefix WINEPREFIX names, which it prepares for the session: Wine's relay trace limited to the
# program's drawing calls, and Notepad as the handler of HTML files, the stand-in for the browser
# that Help Topics hands the manual to. The session's runner is the Linux build's scenario_tests,
# which drives bytescope.exe on a virtual X display with xdotool, as a person would.
# Usage: tools/wine-scenario.sh BUILD_DIR OUT_DIR [LINUX_BUILD_DIR]
#   BUILD_DIR: build-windows/x64 or x86; LINUX_BUILD_DIR: build unless given. The program, its
#   logs (the relay trace, the port stand-in's accesses) and a screenshot of a failure are in
#   OUT_DIR.
set -euo pipefail
build=$(realpath "$1") out=$(realpath -m "$2")
here=$(cd "$(dirname "$0")/.." && pwd)
runner=$(realpath "${3:-$here/build}")/tests/scenario/scenario_tests
: "${WINEPREFIX:?}"
[ -x "$runner" ] || { echo "wine-scenario.sh: no $runner: build Linux first" >&2; exit 1; }
wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /f \
    /d 'gdi32.TextOutA;gdi32.SetTextColor;user32.DrawTextA;user32.BeginPaint' >/dev/null 2>&1
for ext in .htm .html; do
    wine reg add "HKCR\\$ext" /ve /d BytescopeScenario.html /f >/dev/null 2>&1
done
wine reg add 'HKCR\BytescopeScenario.html\shell\open\command' /ve /d 'notepad.exe "%1"' /f \
    >/dev/null 2>&1
rm -rf "$out" && mkdir -p "$out"
cp "$build"/{bytescope.exe,BYTESCOPE.HLP,BYTESCOPE.htm} "$build"/tests/scenario/scenario_peek.exe \
    "$build"/tests/windows/driver/inpout*.dll "$out/"
# Wine's desktop process belongs to the display it started on: a fresh server for a fresh display,
# and none left behind.
wineserver -k 2>/dev/null || true
SCENARIO_WINE=$out xvfb-run -a -s "-screen 0 1024x768x24" \
    sh -c '"$0"; s=$?; wineserver -k 2>/dev/null; exit $s' "$runner"
