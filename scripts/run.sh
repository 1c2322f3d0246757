#!/usr/bin/env bash
# Installs what is missing, builds Eldravin (release) and starts it on the desktop.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DELDRAVIN_TESTS=OFF
cmake --build "$root/build/release" --target eldravin
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
  echo "No desktop display here (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
  echo "Run it on a desktop, or under a virtual display: xvfb-run -a $0 $*" >&2
  exit 1
fi
exec "$root/build/release/src/app/eldravin" "$@"
