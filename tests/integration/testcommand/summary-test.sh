#!/usr/bin/env bash
# Feeds the closing-line script made-up logs, and checks that a gtest program whose only
# case skips exits 77, which CTest shows as skipped.
# Usage: summary-test.sh TEST_SUMMARY_SCRIPT GTEST_PROGRAM
set -u
summary=$1
program=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

ctest_log() { # failed total skipped-names...
  local failed=$1 total=$2
  shift 2
  echo "$(( (total - failed) * 100 / total ))% tests passed, $failed tests failed out of $total"
  if [ $# -gt 0 ]; then
    echo "The following tests did not run:"
    local n=1
    for name in "$@"; do printf '\t%3d - %s (Skipped)\n' $n "$name"; n=$((n + 1)); done
  fi
}
printf '[==========] 6 tests from 2 test suites ran.\n[  PASSED  ] 5 tests.\n' >"$work/wine.log"
printf '[  SKIPPED ] 1 test, listed below:\n[  SKIPPED ] IcmpEcho.LoopbackAnswersAnEchoRequest\n' \
  >>"$work/wine.log"

# expected-line expected-rc fuzz-failed other-failure ctest-log-arguments...
check() {
  local want=$1 rc=$2 fuzz=$3 other=$4
  shift 4
  ctest_log "$@" >"$work/ctest.log"
  local out got
  out=$(bash "$summary" "$work/ctest.log" "$work/wine.log" "$fuzz" "$other")
  got=$?
  [ "$(tail -n 1 <<<"$out")" = "$want" ] || fail "wanted '$want', got: $out"
  [ $got -eq "$rc" ] || fail "'$want': exit $got, wanted $rc"
}
check "tests: 16 passed, 0 failed, 1 skipped" 0 0 0 0 10
check "tests: 15 passed, 0 failed, 2 skipped" 0 0 0 0 10 icmp_silent_namespace
check "tests: 14 passed, 2 failed, 1 skipped" 1 1 0 1 10
# A skip for want of a package fails the run, and counts among the failures.
check "tests: 15 passed, 1 failed, 1 skipped" 1 0 0 0 10 radio_streams
# A run that ended without a count of its own (wine crashed before its summary).
check "tests: 16 passed, 1 failed, 1 skipped" 1 0 1 0 10

# Outside the namespaces of run-in-netns.sh this case skips.
"$program" --gtest_filter='UnprivilegedNamespace.*' >"$work/run.log" 2>&1
rc=$?
[ $rc -eq 77 ] || fail "a run whose only case skipped exited $rc, wanted 77: $(tail -n 5 "$work/run.log")"
[ $status -eq 0 ] && echo "closing line and skip code as expected"
exit $status
