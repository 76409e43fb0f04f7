#!/usr/bin/env bash
# Installs what is missing, builds, and runs the example host's main road on a simulated drive.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)"
exec build/bin/dravonix-host "$@"
