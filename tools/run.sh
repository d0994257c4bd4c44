#!/usr/bin/env bash
# Installs what is missing, builds Bytescope and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh build -DBYTESCOPE_TESTS=OFF -DBYTESCOPE_BENCH=OFF
exec build/bytescope "$@"
