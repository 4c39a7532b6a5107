#!/usr/bin/env bash
# Builds quendle and starts it under Wine with the simulated controller beside
# it: on the user's display when DISPLAY is set, otherwise on a virtual one.
#   scripts/run.sh          the tool itself, from build/win64/bin
#   scripts/run.sh --demo   one write with verification and one read driven
#                           through the dialog in build/demo: prints the
#                           operation log, saves demo-write.png, demo-read.png
set -e
cd "$(dirname "${BASH_SOURCE[0]}")/.."
. scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j 2 >/dev/null
if [ "${1:-}" = --demo ]; then
  demo=$PWD/build/demo
  rm -rf "$demo"
  mkdir -p "$demo"
  cmake/wine-run.sh build/win64/bin/quendle_demo.exe "$demo"
  for step in write read; do
    convert "$demo/demo-$step.bmp" "$demo/demo-$step.png"
    echo "screenshot: $demo/demo-$step.png"
  done
  exit 0
fi
echo "quendle runs on display $DISPLAY; the simulated controller's files are in build/win64/bin"
exec "$WINELOADER" build/win64/bin/quendle.exe
