#!/usr/bin/env bash
# Builds the Debian package of Bytescope and checks it: the desktop entry and the AppStream
# metadata validate, lintian finds no error, the program, unpacked from the package and
# started the way the desktop menu starts it, finds its manual under Help > Help Topics, and the
# unpacked bytescope-cli runs.
# Usage: tools/package.sh [BUILD_DIR]   (default build-pkg; a Release build for /usr)
set -euo pipefail

id=io.github.bytescope.Bytescope
manual=usr/share/bytescope/BYTESCOPE.HLP

# Inside a virtual display: starts the program of the unpacked package ROOT through the Exec line
# of its desktop entry, opens Help > Help Topics with the keyboard, writes the help window's title
# to TITLE_FILE and quits the program with Ctrl+Q.
if [ "${1:-}" = "--help-topics" ]; then
    root=$2 title_file=$3 log=$4
    exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/$id.desktop" | head -n 1)
    name=${exec_line%% *}
    program=$(PATH="$root/usr/bin:$PATH" command -v "$name" || true)
    if [ "$program" != "$root/usr/bin/bytescope" ]; then
        echo "the desktop entry's Exec=$exec_line does not start the packaged program" >&2
        exit 1
    fi
    "$program" >"$log" 2>&1 &
    pid=$!
    wait_window() { # NAME-REGEX: prints the first matching window
        local w
        for _ in $(seq 100); do
            w=$(xdotool search --name "$1" 2>/dev/null | head -n 1 || true)
            [ -n "$w" ] && { echo "$w"; return 0; }
            kill -0 "$pid" 2>/dev/null || return 1
            sleep 0.1
        done
        return 1
    }
    main=$(wait_window '^Bytescope$') || { echo "the window Bytescope did not appear" >&2; exit 1; }
    help=""
    for _ in 1 2 3; do
        xdotool windowfocus --sync "$main"
        sleep 0.3
        xdotool key alt+h
        sleep 0.5
        xdotool key Return
        help=$(wait_window '^(BYTESCOPE\.HLP - )?Help$') && break
        xdotool key Escape Escape
    done
    if [ -z "$help" ]; then
        echo "Help > Help Topics opened no help window" >&2
        kill "$pid" 2>/dev/null || true
        exit 1
    fi
    xdotool getwindowname "$help" >"$title_file"
    xdotool windowfocus --sync "$main"
    xdotool key ctrl+q
    for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        echo "Ctrl+Q did not end the program" >&2
        kill "$pid"
        exit 1
    fi
    status=0
    wait "$pid" || status=$?
    [ "$status" -eq 0 ] || { echo "the program exited with $status" >&2; exit 1; }
    exit 0
fi

cd "$(dirname "$0")/.."
build=$(realpath -m "${1:-build-pkg}")

tools/install-packages.sh build-essential cmake qt6-base-dev dpkg-dev lintian man-db \
    desktop-file-utils appstream file xvfb xauth xdotool

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

echo "== Release build in $build"
# Debian's hardening flags; no debugging information, as the packaged program is stripped.
buildflag() {
    DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP="-g -O2" dpkg-buildflags --get "$1"
}
cxxflags="$(buildflag CPPFLAGS) $(buildflag CXXFLAGS)"
ldflags=$(buildflag LDFLAGS)
cmake -S . -B "$build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DBYTESCOPE_TESTS=OFF -DBYTESCOPE_BENCH=OFF -DBYTESCOPE_FUZZ=OFF -DBYTESCOPE_SANITIZE=OFF \
      -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" -j"$(nproc)"

echo "== Debian package"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
rm -f "$build"/bytescope_*.deb
(cd "$build" && cpack -G DEB)
deb="$build/bytescope_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "FAILED: $deb was not made" >&2; exit 1; }
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
case "$depends" in
*libqt6widgets6*) ;;
*) fail "the computed dependencies miss Qt Widgets: '$depends'" ;;
esac

root=$work/root
dpkg-deb -x "$deb" "$root"
metainfo=$root/usr/share/metainfo/$id.metainfo.xml

for path in usr/bin/bytescope usr/bin/bytescope-cli usr/share/man/man1/bytescope-cli.1.gz \
            "$manual" "usr/share/applications/$id.desktop" \
            "usr/share/metainfo/$id.metainfo.xml" usr/share/man/man1/bytescope.1.gz \
            usr/share/doc/bytescope/copyright usr/share/doc/bytescope/changelog.gz; do
    [ -f "$root/$path" ] || fail "the package has no /$path"
done
for program in bytescope bytescope-cli; do
    file -b "$root/usr/bin/$program" | grep -q ', stripped' || fail "$program is not stripped"
done

echo "== bytescope-cli, as packaged"
if [ -x "$root/usr/bin/bytescope-cli" ]; then
    cli_status=0
    "$root/usr/bin/bytescope-cli" --help >"$work/cli-help.txt" 2>&1 || cli_status=$?
    [ "$cli_status" -eq 0 ] || fail "bytescope-cli --help exited with $cli_status"
    grep -q '^usage: bytescope-cli ' "$work/cli-help.txt" ||
        fail "bytescope-cli --help printed no usage"
    # The companion must not need Qt: nothing of it may be linked in.
    if objdump -p "$root/usr/bin/bytescope-cli" | grep -q 'NEEDED.*Qt'; then
        fail "bytescope-cli links Qt"
    fi
    cli_status=0
    "$root/usr/bin/bytescope-cli" --port simulated read >"$work/cli-read.txt" 2>/dev/null ||
        cli_status=$?
    grep -qE '^[0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3} 00000000 0 11111000 248 00000111 7$' \
        "$work/cli-read.txt" || fail "bytescope-cli read on the simulated port (exit $cli_status)"
fi

echo "== Desktop entry and AppStream metadata, as packaged"
echo "desktop-file-validate /usr/share/applications/$id.desktop"
desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop-file-validate"
echo "appstreamcli validate --no-net /usr/share/metainfo/$id.metainfo.xml"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metadata does not name release $version"
icon=$(sed -n 's/^Icon=//p' "$root/usr/share/applications/$id.desktop")
[ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon $icon"
for size in 16 32 48 64 128 256; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png
    file -b "$png" 2>/dev/null | grep -q "PNG image data, $size x $size," || fail "no ${size}px icon"
done

echo "== lintian"
lintian_status=0
lintian --pedantic --display-info "$deb" >"$work/lintian.txt" 2>"$work/lintian.err" ||
    lintian_status=$?
if [ "$lintian_status" -ne 0 ] || grep -q '^E:' "$work/lintian.txt"; then
    cat "$work/lintian.err" >&2
    fail "lintian (exit code $lintian_status)"
fi

echo "== Help > Help Topics in the unpacked package"
help_topics() { # EXPECTED-TITLE
    rm -f "$work/title"
    if xvfb-run -a -s "-screen 0 1024x768x24" "$PWD/tools/package.sh" --help-topics "$root" \
        "$work/title" "$work/program.log"; then
        local title
        title=$(cat "$work/title")
        echo "help window: \"$title\""
        [ "$title" = "$1" ] || fail "the help window is \"$title\", not \"$1\""
    else
        sed 's/^/  program: /' "$work/program.log" >&2
        fail "Help Topics could not be checked"
    fi
}
if [ -f "$root/$manual" ]; then
    help_topics "BYTESCOPE.HLP - Help"
    # The same without the manual must fail, or the check above proves nothing.
    mv "$root/$manual" "$work/manual"
    help_topics "Help"
    if [ -e "/$manual" ]; then
        echo "note: /$manual is installed on this machine and found by any copy of the" \
             "program; remove the package (apt-get remove bytescope) to check the unpacked one" >&2
    fi
    mv "$work/manual" "$root/$manual"
fi
echo
echo "Package:  $deb"
echo "Size:     $(stat -c %s "$deb") bytes ($(du -h "$deb" | cut -f1))"
echo "Depends:  $depends"
echo "lintian:"
if [ -s "$work/lintian.txt" ]; then sed 's/^/  /' "$work/lintian.txt"; else echo "  (no tags)"; fi
if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) FAILED" >&2
    exit 1
fi
echo "all package checks passed"
