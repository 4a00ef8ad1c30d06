#!/usr/bin/env bash
# Injects the small faults of scripts/mutations.txt one at a time, rebuilds only the test
# target that owns each, runs it and restores the file, to show which faults the suites
# let through. Takes minutes: it is not part of the test command.
#
#   scripts/mutate.sh [PATTERN]   only the faults whose line contains PATTERN
#   BUILD_DIR=build/default       the configured build tree to use
#   MUTATE_FILTER='-*Killed*'     a gtest filter for every suite run, e.g. to leave out the
#                                 kill-timing cases, whose counts depend on the machine's load
#
# Each fault prints "caught", "missed" or "invalid" (did not compile, or its original text
# does not occur exactly once); the last line is "N of M faults caught".
set -uo pipefail
cd "$(dirname "$0")/.."

list=scripts/mutations.txt
build=${BUILD_DIR:-build/default}
pattern=${1:-}
export QT_QPA_PLATFORM=offscreen
jobs=${MUTATE_JOBS:-2}
filter=${MUTATE_FILTER:-*}

backup=$(mktemp -d)
current=""

restore() {
    [ -n "$current" ] || return 0
    cp "$backup/original" "$current"
    if ! git diff --quiet -- "$current"; then
        echo "mutate.sh: $current differs from git after restoring; the backup is kept at" \
            "$backup/original" >&2
        exit 3
    fi
    current=""
}
trap 'restore; rm -rf "$backup"' EXIT
trap 'restore; exit 130' INT TERM HUP

# Fields: target | file | what the fault is | original text | replacement
mapfile -t lines < <(grep -v -e '^\s*#' -e '^\s*$' "$list" | grep -F -e "$pattern")

field() { awk -F ' [|] ' -v n="$1" '{ print $n }' <<<"$2"; }

# Restoring compares against git: every file must be unmodified to begin with.
files=()
targets=()
for line in "${lines[@]}"; do
    files+=("$(field 2 "$line")")
    targets+=("$(field 1 "$line")")
done
mapfile -t files < <(printf '%s\n' "${files[@]}" | sort -u)
mapfile -t targets < <(printf '%s\n' "${targets[@]}" | sort -u)
for f in "${files[@]}"; do
    if ! git diff --quiet -- "$f"; then
        echo "mutate.sh: $f has uncommitted changes; commit or stash them first" >&2
        exit 2
    fi
done

# A suite that fails without any fault would "catch" every one of them.
echo "== building and running the unchanged suites: ${targets[*]}"
cmake --build "$build" -j"$jobs" --target "${targets[@]}" >"$backup/build.log" 2>&1 || {
    tail -n 30 "$backup/build.log"
    echo "mutate.sh: the unchanged code does not build" >&2
    exit 2
}
for t in "${targets[@]}"; do
    if ! timeout 600 "$build/tests/$t" --gtest_brief=1 --gtest_filter="$filter" >"$backup/run.log" 2>&1; then
        tail -n 30 "$backup/run.log"
        echo "mutate.sh: $t fails without any fault" >&2
        exit 2
    fi
done

apply() {
    python3 - "$@" <<'EOF'
import sys
path, old, new = sys.argv[1:4]
text = open(path, encoding="utf-8").read()
if text.count(old) != 1:
    sys.exit(1)
open(path, "w", encoding="utf-8").write(text.replace(old, new))
EOF
}

caught=0
total=0
missed=()
for line in "${lines[@]}"; do
    target=$(field 1 "$line")
    file=$(field 2 "$line")
    what=$(field 3 "$line")
    original=$(field 4 "$line")
    replacement=$(field 5 "$line")
    total=$((total + 1))

    cp "$file" "$backup/original"
    current=$file
    if ! apply "$file" "$original" "$replacement"; then
        restore
        echo "invalid  $file: $what (original text not found exactly once)"
        continue
    fi
    if ! cmake --build "$build" -j"$jobs" --target "$target" >"$backup/build.log" 2>&1; then
        restore
        echo "invalid  $file: $what (does not compile)"
        continue
    fi
    # A hang is a failure the suite shows too.
    if timeout 300 "$build/tests/$target" --gtest_brief=1 --gtest_filter="$filter" >"$backup/run.log" 2>&1; then
        result=missed
        missed+=("$file: $what")
    else
        result=caught
        caught=$((caught + 1))
    fi
    restore
    echo "$result   $file: $what"
done

# Leave the build tree matching the restored sources.
cmake --build "$build" -j"$jobs" --target "${targets[@]}" >"$backup/build.log" 2>&1 ||
    echo "mutate.sh: rebuilding the restored sources failed" >&2

if [ ${#missed[@]} -gt 0 ]; then
    echo "missed:"
    printf '  %s\n' "${missed[@]}"
fi
echo "$caught of $total faults caught"
