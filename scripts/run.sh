#!/usr/bin/env bash
# Installs what is missing, builds Eldravin (release) and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DELDRAVIN_TESTS=OFF
cmake --build "$root/build/release" --target eldravin
exec "$root/build/release/src/app/eldravin" "$@"
