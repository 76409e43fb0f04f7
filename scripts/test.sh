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
# One entry more than cores: the network and child-process entries spend most of a minute waiting
# (time-outs, children), and another entry uses the core meanwhile.
for preset in default asan; do
  echo "== tests: $preset"
  ctest --preset "$preset" -j"$((jobs + 1))" || status=1
done
exit $status
