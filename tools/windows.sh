#!/usr/bin/env bash
# Bytescope for Windows: installs what is missing, cross-builds bytescope.exe for 64-bit (x64) and
# 32-bit (x86) Windows with mingw-w64, runs the Windows tests and a scripted session of the
# program itself under Wine, and makes the package (zip and installer). Everything it makes is
# under build-windows/.
# The 32-bit tests (and the installer, a 32-bit program) need Wine's 32-bit part, wine32:i386,
# which this installs, adding the i386 architecture to dpkg; WINE32=0 leaves it out. Without it
# the 32-bit build is built and linked only.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$PWD/build-windows
jobs=$(nproc)
started=$(date +%s)
step_started=$started
timing() {
    local now
    now=$(date +%s)
    echo "-- $1: $((now - step_started)) s"
    step_started=$now
}

tools/install-packages.sh cmake make g++ g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32 \
    googletest wine wine64 fonts-wine icoutils nsis zip unzip xvfb xauth xdotool imagemagick
# Wine's 32-bit part is a 32-bit Linux program: first ask the kernel whether it runs one at all
# (a 93-byte program that only exits). Installed on a kernel that cannot, it breaks 64-bit Wine.
runs_32bit() {
    local probe
    probe=$(mktemp)
    local elf=''
    elf+='\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001'
    elf+='\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000'
    elf+='\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000'
    elf+='\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000'
    elf+='\000\000\000\020\000\000\270\001\000\000\000\061\333\315\200'
    printf "$elf" >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
    local status=$?
    rm -f "$probe"
    return $status
}
if [ "${WINE32:-1}" = 1 ] && ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null |
    grep -q "install ok installed"; then
    if ! runs_32bit; then
        echo "This kernel runs no 32-bit programs, so neither does Wine: the 32-bit build is built" \
             "and linked only"
    else
        sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        echo "Installing: wine32:i386"
        if ! { $sudo dpkg --add-architecture i386 && $sudo apt-get update -qq &&
            DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
                wine32:i386 >/dev/null; }; then
            echo "Wine's 32-bit part did not install: the 32-bit build is built and linked only"
        fi
    fi
fi
timing "packages"

# A fresh Wine prefix for this run. Without a window manager (Xvfb) a managed window's close
# stalls, so windows are unmanaged; Debian's Wine does not find its own fonts unless they are in
# the prefix. No Mono or Gecko: nothing here needs them, and the prompts for them would hang.
export WINEPREFIX=$out/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$out"
rm -rf "$WINEPREFIX"
trap 'wineserver -k 2>/dev/null || true' EXIT
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
wineserver -w
# The server stays up between the test programs, which then start in a fraction of a second.
wineserver -p >/dev/null 2>&1
timing "Wine prefix"

for arch in x64 x86; do
    toolchain=cmake/mingw-w64-$([ $arch = x64 ] && echo x86_64 || echo i686).cmake
    extra=()
    [ $arch = x64 ] && extra=(-DBYTESCOPE_WINDOWS_X86_BUILD="$out/x86")
    cmake -S . -B "$out/$arch" -DCMAKE_TOOLCHAIN_FILE=$toolchain -DCMAKE_BUILD_TYPE=Release \
        -DBYTESCOPE_BENCH=OFF "${extra[@]}" >/dev/null
    cmake --build "$out/$arch" -j"$jobs"
    timing "$arch build"
done

# The programs need nothing but system DLLs.
system_dlls="advapi32.dll cfgmgr32.dll comctl32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll
setupapi.dll shell32.dll user32.dll"
for arch in x64 x86; do
    exe=$out/$arch/bytescope.exe
    imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' |
        tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
    echo "$arch/bytescope.exe: $(stat -c %s "$exe") bytes, imports: $imports"
    for dll in $imports; do
        if ! grep -qw "$dll" <<<"$system_dlls"; then
            echo "error: $arch/bytescope.exe imports $dll, which is not part of Windows" >&2
            exit 1
        fi
    done
done

echo "== The Windows tests under Wine (64-bit)"
(cd "$out/x64" && ctest --output-on-failure -j"$jobs")
# Wine runs 32-bit programs only with its 32-bit part; the installer is one too.
wine32=no
wine "$out/x86/tests/windows/windows_platform_test.exe" --gtest_list_tests >/dev/null 2>&1 &&
    wine32=yes
if [ $wine32 = yes ]; then
    echo "== The Windows tests under Wine (32-bit)"
    (cd "$out/x86" && ctest --output-on-failure -j"$jobs")
else
    echo "== The 32-bit tests are not run: Wine's 32-bit part is not installed"
fi
timing "tests"

# The scripted session (tests/scenario/session.txt), as a person has it, on a virtual display. Its
# runner is the Linux build's, brought up to date first (built with all of it when missing).
if [ -f build/CMakeCache.txt ]; then
    cmake --build build --target scenario_tests -j"$jobs" >/dev/null
else
    echo "== The Linux build, whose session runner drives the program under Wine"
    tools/setup.sh build >/dev/null
fi
for arch in x64 $([ $wine32 = yes ] && echo x86); do
    echo "== The program itself under Wine ($arch): one scripted session"
    tools/wine-scenario.sh "$out/$arch" "$out/scenario-$arch"
done
wineserver -p >/dev/null 2>&1
timing "scripted session"

echo "== The Windows package"
cpack --config "$out/x64/CPackConfig.cmake" -B "$out/package" >/dev/null
zip=$out/package/bytescope-$(sed -n 's/^project(bytescope VERSION \([0-9.]*\).*/\1/p' \
    CMakeLists.txt)-windows
for file in x64/bytescope.exe x64/BYTESCOPE.HLP x64/BYTESCOPE.htm x86/bytescope.exe \
    x86/BYTESCOPE.HLP x86/BYTESCOPE.htm README-Windows.txt README.md LICENSE; do
    unzip -l "$zip.zip" | grep -q " $(basename "$zip")/$file\$" ||
        { echo "error: $file is missing from $zip.zip" >&2; exit 1; }
done
echo "$zip.zip: $(stat -c %s "$zip.zip") bytes"
if [ -f "$zip.exe" ] && [ $wine32 = no ]; then
    echo "$zip.exe: $(stat -c %s "$zip.exe") bytes (not tried: it is a 32-bit program)"
elif [ -f "$zip.exe" ]; then
    # The installer, silently into the prefix: the programs and the manual land in place.
    wine "$zip.exe" /S '/D=C:\Bytescope' >/dev/null 2>&1 ||
        { echo "error: the installer failed under Wine" >&2; exit 1; }
    wineserver -w
    wineserver -p >/dev/null 2>&1
    for file in x64/bytescope.exe x86/bytescope.exe x64/BYTESCOPE.htm README-Windows.txt; do
        [ -f "$WINEPREFIX/drive_c/Bytescope/$file" ] ||
            { echo "error: the installer did not install $file" >&2; exit 1; }
    done
    echo "$zip.exe: $(stat -c %s "$zip.exe") bytes, installs under Wine"
fi
timing "package"
echo "-- Windows, in all: $(($(date +%s) - started)) s"
