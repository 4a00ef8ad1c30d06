#!/usr/bin/env bash
# Builds the fuzz targets and runs each for SECONDS (default 600), printing executions and
# crashes per target. Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"${JOBS:-$(nproc)}"
exec bash tests/fuzz/run-fuzz.sh build/fuzz "$seconds" "$@"
