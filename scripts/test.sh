#!/usr/bin/env bash
# Installs what is missing, builds Eldravin and its tests (AddressSanitizer and
# UndefinedBehaviorSanitizer), runs the fuzz targets of the readers and codecs
# for a bounded time each (scripts/fuzz.sh), then every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
build="$root/build/test"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DELDRAVIN_TESTS=ON -DELDRAVIN_SANITIZE=ON
cmake --build "$build"
"$root/scripts/fuzz.sh"
jobs=$(nproc 2>/dev/null || echo 2)
ctest --test-dir "$build" --output-on-failure -j "$jobs" "$@"
