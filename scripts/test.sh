#!/usr/bin/env bash
# Builds and runs every test headless: each case on its own through ctest,
# then each test program whole, so that no case leans on what another one
# left behind.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$here/build" --output-on-failure -j "$(nproc)"

failed=()
for program in "$here"/build/tests/test_*; do
  [ -f "$program" ] && [ -x "$program" ] || continue
  name="$(basename "$program")"
  log="$(mktemp)"
  if timeout 900 "$program" >"$log" 2>&1; then
    echo "$name whole: passed"
  else
    echo "$name whole: FAILED"
    tail -n 60 "$log"
    failed+=("$name")
  fi
  rm -f "$log"
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "Test programs that failed when run whole: ${failed[*]}"
  exit 1
fi
