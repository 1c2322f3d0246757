#!/usr/bin/env bash
# Installs what is missing, builds Eldravin and its tests (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
build="$root/build/test"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DELDRAVIN_TESTS=ON -DELDRAVIN_SANITIZE=ON
cmake --build "$build"
jobs=$(nproc 2>/dev/null || echo 2)
ctest --test-dir "$build" --output-on-failure -j "$jobs" "$@"
