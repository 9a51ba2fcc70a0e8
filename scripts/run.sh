#!/usr/bin/env bash
# Builds and starts the program. The program folder is the first argument,
# else the user's data folder (~/.local/share/Tavlinora); it is filled with
# fresh databases on first use.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh"
folder="${1:-${XDG_DATA_HOME:-$HOME/.local/share}/Tavlinora}"
mkdir -p "$folder"
exec "$here/build/tavlinora" --folder "$folder"
