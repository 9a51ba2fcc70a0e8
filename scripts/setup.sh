#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing), then
# configures and builds into build/.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite
          libsqlite3-dev libgtest-dev libgl-dev fonts-liberation poppler-utils
          sqlite3 python3 qt6-translations-l10n libxml2-utils pkg-config mdbtools-dev mdbtools
          fp-units-db-3.2.2)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
