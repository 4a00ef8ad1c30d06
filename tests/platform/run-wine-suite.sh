#!/usr/bin/env bash
# Runs the Windows build of the platform suites under wine in the Chinese ANSI code page
# (936) and exits with gtest's code. Usage: run-wine-suite.sh BUILD_DIR [gtest arguments]
set -uo pipefail

build=${1:?usage: run-wine-suite.sh BUILD_DIR [gtest arguments]}
shift
exe="$build/tests/quorlin_platform_tests.exe"
[ -f "$exe" ] || { echo "not built: $exe" >&2; exit 2; }

export WINEPREFIX="$(cd "$build" && pwd)/wineprefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=zh_CN.UTF-8
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)

# A prefix of its own, made once; later runs reuse it.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  timeout 300 "$wine" wineboot -i >/dev/null 2>&1 || { echo "wineboot failed" >&2; exit 2; }
fi

# Windows need a display; give wine a private one when there is none.
xvfb=()
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  xvfb=(xvfb-run -a)
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
timeout 600 "${xvfb[@]}" "$wine" "$exe" --gtest_color=no "$@" >"$log" 2>&1
rc=$?
timeout 60 "$(dirname "$wine")/wineserver" -w 2>/dev/null || true
# The summary and any failures; the whole log when gtest did not get to its summary.
if grep -q '^\[==========\]' "$log"; then
  grep -E '^\[(==========|  PASSED  |  FAILED  |  SKIPPED )\]|Failure|Expected|Which is|^  ' "$log" |
    grep -v '^\[  FAILED  \] .*ms)$' | tail -n 200
else
  tail -n 50 "$log"
fi
exit $rc
