#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing) and
# configures and builds Tolvanex in ./build. Used by run.sh and test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(build-essential cmake ninja-build pkg-config qt6-base-dev libgl-dev
          qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
          libsqlite3-dev libsdl2-dev libsoundtouch-dev libaubio-dev googletest libgtest-dev libgmock-dev espeak-ng
          libzip-dev libzstd-dev libsndfile1-dev fonts-dejavu-core python3
          postgresql libpq-dev libsodium-dev)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [[ $(id -u) -ne 0 ]] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="$BUILD_TYPE" \
      -DTVX_LANGUAGE_CODE="${TVX_LANGUAGE_CODE:-tvxito}" >/dev/null
cmake --build build -j "$(nproc)"
