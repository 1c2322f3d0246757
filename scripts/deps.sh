#!/usr/bin/env bash
# The one list of Debian packages that building, running and testing Eldravin need.
# Installs whatever is missing with apt-get when run as root; otherwise prints the line to run.
set -euo pipefail

PACKAGES=(
  g++ cmake ninja-build ccache pkg-config
  qt6-base-dev libicu-dev zlib1g-dev libjpeg-dev
  libhunspell-dev libxkbcommon-dev
  hunspell-fr hunspell-en-us hunspell-en-gb hunspell-de-de hunspell-es hunspell-it
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation2 fonts-dejavu-core
  clang-14 libclang-rt-14-dev python3
  hyphen-fr hyphen-en-us hyphen-de
  libqt6printsupport6 poppler-utils
  qt6-multimedia-dev libqt6multimedia6
  libqt6network6
  # Keyboard layouts: xkbcommon compiles the system's xkb data.
  libxkbcommon-dev xkb-data
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
else
  echo "Missing packages. Run as root:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
