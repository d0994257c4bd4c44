#!/usr/bin/env bash
# Installs what building and testing Bytescope needs on Debian 12, then configures and builds.
# Usage: tools/setup.sh BUILD_DIR [extra cmake options]
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-packages.sh build-essential cmake qt6-base-dev libgtest-dev libgmock-dev \
    libbenchmark-dev clang libclang-rt-14-dev fonts-dejavu-core xvfb xauth xdotool twm openbox x11-utils \
    imagemagick desktop-file-utils appstream lintian dpkg-dev file sigrok-cli

build=${1:-build}
shift || true
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
