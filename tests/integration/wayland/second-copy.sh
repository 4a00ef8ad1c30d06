#!/usr/bin/env bash
# Inside a compositor (run-in-compositor.sh): the program runs natively on Wayland, where
# no X11 title can be found; a second copy must be refused with its message and exit 0,
# and the first must go on.
set -u
exe=$1
work=$QUORLIN_WL_WORK
export QT_QPA_PLATFORM=wayland XDG_CONFIG_HOME=$work/config QUORLIN_SETTINGS=$work/Quorlin
export QUORLIN_PROGRAM_DIR=$(dirname "$exe") QUORLIN_REGISTRY_DIR=$work/registry
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done' EXIT
fail() { echo "FAIL: $*"; tail -5 "$work/first.log" "$work/second.log" 2>/dev/null; exit 1; }

"$exe" >"$work/first.log" 2>&1 &
first=$!; pids+=("$first")
lock=$XDG_RUNTIME_DIR/Quorlin-$WAYLAND_DISPLAY.instance
for _ in $(seq 600); do [ -S "$lock" ] && break; sleep 0.1; done
[ -S "$lock" ] || fail "the first copy never took the lock"
kill -0 "$first" 2>/dev/null || fail "the first copy ended"
# Let its splash close, so that the keys below reach the second copy's box.
sleep 4

"$exe" >"$work/second.log" 2>&1 &
second=$!; pids+=("$second")
sleep 3
end=$((SECONDS + 30))
while kill -0 "$second" 2>/dev/null; do
  [ $SECONDS -ge $end ] && fail "the second copy did not end after its message was answered"
  "$QUORLIN_WL_TYPE" "
" >/dev/null 2>&1
  sleep 1.5
done
wait "$second"; rc=$?
[ $rc -eq 0 ] || fail "the second copy exited with $rc"
kill -0 "$first" 2>/dev/null || fail "the first copy died"
echo "second copy refused with exit code 0; the first copy runs on"
