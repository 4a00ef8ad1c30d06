#!/usr/bin/env bash
# Builds everything and runs every test: the Linux suites (unit, GUI offscreen, X11 and
# system integration), the Windows platform suites under wine, and a bounded fuzz run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=$(nproc)
failed=0

echo "== Linux build and tests"
cmake --preset default >/dev/null
cmake --build --preset default -j"$jobs"

# X11 tests need a display: give them a private virtual one on a free display number.
displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$displayfile" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -f "$displayfile"' EXIT
for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$displayfile")
ctest --preset default || failed=1

echo "== Windows platform layer under wine"
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j"$jobs"
bash tests/platform/run-wine-suite.sh build/mingw || failed=1

echo "== Fuzzing the profile reader"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$jobs"
bash tests/fuzz/run-fuzz.sh build/fuzz 60 || failed=1

exit $failed
