#!/usr/bin/env bash
# Builds everything and runs every test: the Linux suites (unit, GUI offscreen, X11 and
# system integration), the Windows platform suites under wine, and each fuzz target for 15 s.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# Every test talks to servers on loopback or in namespaces of its own: a proxy from the
# environment (apt-get above may have needed it) would take those connections instead.
unset http_proxy HTTP_PROXY https_proxy HTTPS_PROXY all_proxy ALL_PROXY
# Tests that start the real program must not let its weather strip reach the real site.
export QUORLIN_WEATHER_PAGE=http://127.0.0.1:1/m/360/weather.htm

jobs=$(nproc)
failed=0

# Three builds of mostly the same sources: compile each once. Paths are taken relative to
# the checkout, so another checkout of the same code on this machine reuses the objects.
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
fi

echo "== Linux build and tests"
cmake --preset default >/dev/null
cmake --build --preset default -j"$jobs"

# X11 tests need a display: give them a private virtual one on a free display number.
displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$displayfile" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -f "$displayfile"; rm -rf "${logs:-}"' EXIT
for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$displayfile")
logs=$(mktemp -d)
set +e
ctest --preset default 2>&1 | tee "$logs/ctest.log"
[ "${PIPESTATUS[0]}" -eq 0 ] || failed=1
set -e

echo "== Windows platform layer under wine"
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j"$jobs"
set +e
bash tests/platform/run-wine-suite.sh build/mingw 2>&1 | tee "$logs/wine.log"
[ "${PIPESTATUS[0]}" -eq 0 ] || failed=1
set -e

echo "== Fuzzing every reader of outside data"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$jobs"
set +e
bash tests/fuzz/run-fuzz.sh build/fuzz 15 2>&1 | tee "$logs/fuzz.log"
set -e
# One summary line per target: "NAME: N executions (R/s), C crashes".
fuzz_passed=$(grep -c ', 0 crashes$' "$logs/fuzz.log" || true)
fuzz_failed=$(grep -Ec ': (not built|.* [1-9][0-9]* crashes)' "$logs/fuzz.log" || true)

# One closing line over all three runs; it fails the run on a skip that should not be.
bash scripts/test-summary.sh "$logs/ctest.log" "$logs/wine.log" "$fuzz_failed" "$failed" "$fuzz_passed"
