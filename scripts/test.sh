#!/usr/bin/env bash
# Installs what is missing, builds the normal and the sanitizer build, runs all tests in both.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)
for preset in default asan; do
  cmake --preset "$preset" -DDRAVONIX_WERROR=ON >/dev/null
  cmake --build --preset "$preset" -j"$jobs"
done
status=0
for preset in default asan; do
  echo "== tests: $preset"
  ctest --preset "$preset" -j"$jobs" || status=1
done
exit $status
