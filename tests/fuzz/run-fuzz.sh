#!/usr/bin/env bash
# Runs the profile reader fuzzer for a bounded time; non-zero exit on a crash or a broken
# invariant. Usage: run-fuzz.sh BUILD_DIR SECONDS
set -uo pipefail

build=${1:?usage: run-fuzz.sh BUILD_DIR SECONDS}
seconds=${2:?usage: run-fuzz.sh BUILD_DIR SECONDS}
fuzzer="$build/tests/fuzz/ProfileReaderFuzz"
[ -x "$fuzzer" ] || { echo "not built: $fuzzer (cmake --preset fuzz -B $build)" >&2; exit 2; }

here=$(cd "$(dirname "$0")" && pwd)
corpus="$build/fuzz-corpus"
artifacts="$build/fuzz-artifacts"
mkdir -p "$corpus" "$artifacts"
cp -n "$here"/corpus/* "$corpus"/ 2>/dev/null || true

scratch=$(mktemp -d /dev/shm/quorlin-fuzz.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export QUORLIN_FUZZ_DIR="$scratch"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
timeout $((seconds + 120)) "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$artifacts/" -print_final_stats=1 "$corpus" 2>&1 | tail -n 40
rc=${PIPESTATUS[0]}
[ "$rc" -eq 0 ] && echo "fuzzing: no crash in ${seconds}s" || echo "fuzzing FAILED (exit $rc), inputs in $artifacts"
exit "$rc"
