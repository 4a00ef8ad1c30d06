#!/usr/bin/env bash
# Runs every fuzz target (or the ones named) for a bounded time each and prints one line per
# target with its executions and crashes; non-zero exit on a crash, a broken invariant or an
# input that takes a minute (a generous bound: the machines these run on are shared).
# Usage: run-fuzz.sh BUILD_DIR SECONDS [TARGET...]
set -uo pipefail

build=${1:?usage: run-fuzz.sh BUILD_DIR SECONDS [TARGET...]}
seconds=${2:?usage: run-fuzz.sh BUILD_DIR SECONDS [TARGET...]}
shift 2
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=($(cd "$here/corpus" && ls))

# Real files shipped with the program seed the readers they go through.
declare -A shipped=(
  [ProfileReaderFuzz]="$root/data/dist/NetRadio.dat"
  [SettingsReadFuzz]="$root/data/dist/NetRadio.dat"
)

scratch=$(mktemp -d /dev/shm/quorlin-fuzz.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export QUORLIN_FUZZ_DIR="$scratch"
# A small quarantine and no fill of fresh blocks: the readers allocate per line, and on these
# virtual machines faulting in new pages costs more than the code under test (four times the
# executions per second). Use-after-free is still caught within the last megabyte of frees.
# Allocations record two frames instead of thirty (a fifth more executions): to see where a
# reported block came from, run the saved input again with ASAN_OPTIONS=malloc_context_size=30.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:quarantine_size_mb=1:thread_local_quarantine_size_kb=64:max_malloc_fill_size=0:malloc_context_size=2
export UBSAN_OPTIONS=print_stacktrace=1

failed=0
summary=()
for target in "${targets[@]}"; do
  fuzzer="$build/tests/fuzz/$target"
  if [ ! -x "$fuzzer" ]; then
    echo "not built: $fuzzer (cmake --preset fuzz && cmake --build --preset fuzz)" >&2
    failed=1
    summary+=("$target: not built")
    continue
  fi
  corpus="$build/fuzz-corpus/$target"
  artifacts="$build/fuzz-artifacts/$target"
  mkdir -p "$corpus" "$artifacts"
  cp -n "$here/corpus/$target"/* "$corpus"/ 2>/dev/null || true
  for f in ${shipped[$target]:-}; do cp -n "$f" "$corpus"/ 2>/dev/null || true; done
  log="$scratch/$target.log"
  echo "== $target, ${seconds}s"
  timeout $((seconds + 120)) "$fuzzer" -max_total_time="$seconds" -timeout=60 \
    -rss_limit_mb=2048 -artifact_prefix="$artifacts/" -print_final_stats=1 "$corpus" >"$log" 2>&1
  rc=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  if [ "$rc" -eq 0 ]; then
    crashes=0
  else
    crashes=1
    failed=1
    tail -n 40 "$log"
  fi
  line="$target: ${execs:-?} executions (${rate:-?}/s), $crashes crashes"
  [ "$crashes" -eq 0 ] || line+=" (exit $rc, input in $artifacts)"
  summary+=("$line")
done

echo "== fuzzing, ${seconds}s per target"
printf '%s\n' "${summary[@]}"
exit "$failed"
