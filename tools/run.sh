#!/usr/bin/env bash
# Installs what is missing, builds Bytescope and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-packages.sh build-essential cmake qt6-base-dev fonts-dejavu-core
cmake -S . -B build-run -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBYTESCOPE_TESTS=OFF \
      -DBYTESCOPE_BENCH=OFF >/dev/null
cmake --build build-run -j"$(nproc)"
exec build-run/bytescope "$@"
