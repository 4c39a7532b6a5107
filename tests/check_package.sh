#!/usr/bin/env bash
# Makes the release package and checks that it holds exactly the program and
# the operator's note. Usage: check_package.sh <build dir> <cpack>
set -eu
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$2" --config "$1/CPackConfig.cmake" -B "$out" >/dev/null
listing=$(cd "$out" && cmake -E tar tf quendle-*.zip | sort | tr '\n' ' ')
echo "package holds: $listing"
[ "$listing" = "README.txt quendle.exe " ]
