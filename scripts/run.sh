#!/usr/bin/env bash
# Builds Quorlin and starts it. Without a display it starts a virtual X server first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
exe=build/default/src/Quorlin
if [ -z "${DISPLAY:-}" ]; then
  echo "没有图形显示：在虚拟 X 服务器 (Xvfb :99) 上启动 Quorlin。"
  echo "No display found: starting Quorlin on a virtual X server (Xvfb :99)."
  Xvfb :99 -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null || true' EXIT
  export DISPLAY=:99
  sleep 1
fi
"$exe" "$@"
