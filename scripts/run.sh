#!/usr/bin/env bash
# Builds quendle and starts it under Wine with the simulated controller beside
# it: on the user's display when DISPLAY is set, otherwise on a virtual one.
set -e
cd "$(dirname "${BASH_SOURCE[0]}")/.."
. scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j 2 >/dev/null
"$WINELOADER" build/win64/bin/quendle.exe "$@"
