# Sourced by the scripts that start programs on a display of their own: a scratch folder
# that goes, with every process listed in pids, when the script ends.
work=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

need() { # need TOOL...: skipped where one is missing
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "$tool missing: skipped"; exit 77; }
  done
}

wait_for() { # wait_for SECONDS command...
  local end=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do [ $SECONDS -ge $end ] && return 1; sleep 0.2; done
}

start_xvfb() { # a private X server on a free display: sets DISPLAY and xvfb
  local f=$work/display.$RANDOM
  exec 3>"$f"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb=$!; pids+=("$xvfb")
  exec 3>&-
  for _ in $(seq 50); do [ -s "$f" ] && break; sleep 0.1; done
  export DISPLAY=:$(cat "$f")
}
