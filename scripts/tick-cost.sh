#!/usr/bin/env bash
# Instructions per full tick (every feature armed, every list at 1,000 rows), counted by
# callgrind inside the benchmark's measured ticks only (the ticks that settle the world are
# left out), over a fixed 1,000 ticks; then where they go. Stable on shared machines where times are not. Usage: scripts/tick-cost.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
bench="$build/tests/bench/QuorlinBench"
ticks=1000
[ -x "$bench" ] || { echo "not built: $bench (cmake --build --preset default --target QuorlinBench)" >&2; exit 2; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

valgrind --tool=callgrind --callgrind-out-file="$out/callgrind.out" \
  --collect-atstart=no \
  "$bench" --benchmark_filter="^FullWorldNothingDue/ticks:$ticks/" >"$out/bench.log" 2>&1 || {
  tail -n 20 "$out/bench.log"; exit 1; }
total=$(sed -n 's/^summary: *//p' "$out/callgrind.out" | head -n 1)
echo "full tick: $(( total / ticks )) instructions ($total over $ticks ticks)"
grep -E '^FullWorldNothingDue/ticks' "$out/bench.log" | sed 's/^/time under callgrind (slowed): /' || true
# Function lines only, without the benchmark's own frames; "file:function [object]" becomes
# "function".
shares() {
  awk -v total="$total" -v floor="$1" '
    /^ *[0-9,]+ +\( *[0-9.]+%\) +[^=<]/ && / \[/ {
      n = $1; gsub(",", "", n); pct = 100 * n / total
      line = $0; sub(/^ *[0-9,]+ +\( *[0-9.]+%\) +/, "", line); sub(/ \[[^]]*\]$/, "", line)
      sub(/^[^:]*:/, "", line)
      if (line ~ /benchmark::|below main|libc_start|^main$|FullWorldNothingDue|^0x|_M_invoke|^\?\?\?/) next
      if (pct >= floor && shown < 20) { printf "%5.1f %%  %s\n", pct, line; shown++ } }'
}
echo "== inclusive share of the tick"
callgrind_annotate --inclusive=yes --threshold=100 "$out/callgrind.out" 2>/dev/null | shares 2
echo "== self share"
callgrind_annotate --threshold=100 "$out/callgrind.out" 2>/dev/null | shares 1
