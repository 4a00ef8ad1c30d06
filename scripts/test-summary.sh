#!/usr/bin/env bash
# The test command's closing line, "tests: N passed, K failed, M skipped", over the CTest
# log, the wine suite's log and the fuzz run. A skip is neither passed nor failed, but only
# the skips listed below may happen on a machine set up by install-deps.sh: any other one
# means something it installs is missing, and counts as a failure.
# Usage: test-summary.sh CTEST_LOG WINE_LOG FUZZ_FAILED [OTHER_FAILURE(0|1) [FUZZ_PASSED]]
# (fuzz targets failed and passed; one target when FUZZ_PASSED is not given)
# Exits 1 when anything failed.
set -uo pipefail
ctest_log=${1:?usage: test-summary.sh CTEST_LOG WINE_LOG FUZZ_FAILED [OTHER_FAILURE]}
wine_log=${2:?}
fuzz_failed=${3:?}
other_failure=${4:-0}
fuzz_passed=${5:-$((1 - fuzz_failed))}

# They need rights a container may withhold, not packages.
allowed_skips=(
  icmp_answering_namespace icmp_silent_namespace icmp_unprivileged_namespace # no netns
  IcmpEcho.LoopbackAnswersAnEchoRequest # neither ping nor raw sockets for this user
  cleaner_windows_under_wine # wine's cmd runs the batch part only; no script host to test
)

last() { sed -n "$1" "$2" 2>/dev/null | tail -n 1; }
total=$(last 's/.*tests failed out of \([0-9]*\).*/\1/p' "$ctest_log")
ctest_failed=$(last 's/.* \([0-9]*\) tests failed out of.*/\1/p' "$ctest_log")
wine_passed=$(last 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$wine_log")
wine_failed=$(last 's/^\[  FAILED  \] \([0-9]*\) test.*/\1/p' "$wine_log")
# CTest counts a skipped test among the passed ones; gtest does not.
ctest_skips=$(sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (Skipped)$/\1/p' "$ctest_log" 2>/dev/null)
wine_skips=$(sed -n 's/^\[  SKIPPED \] \([^ ]*\)$/\1/p' "$wine_log" 2>/dev/null)

skipped=0
bad_skips=0
while IFS= read -r name; do
  [ -n "$name" ] || continue
  allowed=0
  for a in "${allowed_skips[@]}"; do [ "$name" = "$a" ] && allowed=1; done
  if [ $allowed -eq 1 ]; then
    skipped=$((skipped + 1))
  else
    echo "skipped, but install-deps.sh provides what it needs: $name"
    bad_skips=$((bad_skips + 1))
  fi
done <<<"$ctest_skips
$wine_skips"

ctest_skipped=$(printf '%s\n' "$ctest_skips" | grep -c . || true)
passed=$(( ${total:-0} - ${ctest_failed:-0} - ctest_skipped + ${wine_passed:-0} + fuzz_passed ))
failures=$(( ${ctest_failed:-0} + ${wine_failed:-0} + fuzz_failed + bad_skips ))
# A run that failed without a count of its own (a crash before gtest's summary).
[ "$other_failure" -eq 0 ] || [ $failures -gt 0 ] || failures=1
echo "tests: $passed passed, $failures failed, $skipped skipped"
[ $failures -eq 0 ]
