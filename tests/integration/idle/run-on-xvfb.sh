#!/usr/bin/env bash
# Runs a test program against a private Xvfb of its own (a free display number chosen by
# the server), so the test's synthetic input never reaches anyone's desktop.
# Exits 77 (skipped) when Xvfb or xdotool is missing.
set -uo pipefail
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || { echo "Xvfb/xdotool missing"; exit 77; }

fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -f "$fifo"' EXIT
read -r -t 20 number <"$fifo" || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$number"
export QUORLIN_XVFB_PID=$xvfb
"$@"
