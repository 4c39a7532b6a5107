#!/usr/bin/env bash
# Runs a Windows program under 64-bit Wine for CTest and CMake.
# Wine's server and helper processes outlive the program and inherit its
# output handles, so the program writes into files that are copied out once it
# has exited; CTest then does not wait for those processes.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/../scripts/env.sh"
out=$(mktemp)
err=$(mktemp)
"$WINELOADER" "$@" >"$out" 2>"$err" </dev/null
rc=$?
tr -d '\r' <"$out"
cat "$err" >&2
rm -f "$out" "$err"
exit "$rc"
