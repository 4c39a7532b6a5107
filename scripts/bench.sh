#!/usr/bin/env bash
# Builds the 64-bit programs and runs the benchmark under Wine in a fresh
# folder with the simulated controller. Exit code 1 when a figure misses.
set -e
cd "$(dirname "${BASH_SOURCE[0]}")/.."
. scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j 2 >/dev/null
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
for f in quendle.exe QuarnPubIf.dll minimal_dialog.exe quendle_bench.exe; do
  cp "build/win64/bin/$f" "$dir/"
done
cd "$dir"
"$OLDPWD/cmake/wine-run.sh" quendle_bench.exe
