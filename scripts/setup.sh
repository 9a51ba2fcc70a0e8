#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing), then
# builds into build/: configured only when build/ is new, since the build
# itself re-runs the configuration whenever the sources call for it.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite
          libsqlite3-dev libgtest-dev libgl-dev fonts-liberation poppler-utils
          sqlite3 python3 qt6-translations-l10n libxml2-utils pkg-config mdbtools-dev mdbtools
          fp-units-db)
# One query for all of them: a start on a built tree stays quick.
installed="$(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null \
             | awk '$NF == "installed" && $(NF-1) == "ok" { print $1 }')" || true
missing=()
for p in "${packages[@]}"; do
  grep -Fqx -- "$p" <<<"$installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    # Debian has no sudo by default: say what to run as root, and stop.
    if ! command -v sudo >/dev/null 2>&1; then
      echo "Missing packages: ${missing[*]}" >&2
      echo "Install them as root, then run this script again:" >&2
      echo "  su -c 'apt-get install -y ${missing[*]}'" >&2
      exit 1
    fi
    sudo="sudo"
  fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

if [ ! -f build/CMakeCache.txt ] || [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build build
