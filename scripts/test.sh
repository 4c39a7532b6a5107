#!/usr/bin/env bash
# Builds both architectures and runs every test of the 64-bit build under
# Wine. Installs what is missing first (see setup.sh).
set -e
cd "$(dirname "${BASH_SOURCE[0]}")/.."
. scripts/setup.sh
for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j 2
done
ctest --preset win32
ctest --preset win64 -j 2 "$@"
