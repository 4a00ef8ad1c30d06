#!/usr/bin/env bash
# Runs a command inside a headless GNOME Shell of its own:
#
#   run-in-gnome-shell.sh EXTENSION_DIR COMMAND...
#
# EXTENSION_DIR (a shell extension's folder) is installed for the user, switched off, as a
# package leaves it. The shell, its buses and the command run as an ordinary user (nobody
# when started as root). GNOME Shell needs logind on the system bus: python3-dbusmock's
# logind template on a private one stands in. The command sees WAYLAND_DISPLAY,
# XDG_RUNTIME_DIR, DBUS_SESSION_BUS_ADDRESS, QUORLIN_WL_COMPOSITOR=gnome and
# QUORLIN_WL_WORK (a directory it may write to).
# Exits 77 (skipped) when GNOME Shell or its helpers are missing or it cannot start here.
set -uo pipefail
extension=${1:-}
shift || true
[ -d "$extension" ] && [ $# -gt 0 ] || { echo "usage: $0 EXTENSION_DIR COMMAND..."; exit 2; }
skip() { echo "skipped: $*"; exit 77; }
command -v gnome-shell >/dev/null || skip "gnome-shell missing"
command -v dbus-daemon >/dev/null || skip "dbus-daemon missing"
/usr/bin/python3 -c 'import dbusmock' 2>/dev/null || skip "python3-dbusmock missing"

as_user=()
owner=$(id -u):$(id -g)
if [ "$(id -u)" -eq 0 ]; then
  command -v setpriv >/dev/null || skip "setpriv missing"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups --inh-caps=-all --)
  owner=65534:65534
fi

work=$(mktemp -d /tmp/quorlin-gnome.XXXXXX)
chmod 755 "$work"
mkdir -p "$work/run" "$work/home/.local/share/gnome-shell/extensions" "$work/out"
chmod 700 "$work/run"
cp -r "$extension" "$work/home/.local/share/gnome-shell/extensions/"
chown -R "$owner" "$work/run" "$work/home" "$work/out"
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
  [ -n "${QUORLIN_WL_KEEP:-}" ] && { echo "kept $work"; return; }
  rm -rf "$work"
}
trap cleanup EXIT

base_env=(env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_RUNTIME_DIR="$work/run"
  LANG=C.UTF-8 XDG_DATA_DIRS=/usr/local/share:/usr/share)
start_bus() { # file
  "${as_user[@]}" "${base_env[@]}" dbus-daemon --session --nofork --print-address=3 \
    3>"$1" >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$1" ] && break; sleep 0.1; done
  head -1 "$1"
}
bus=$(start_bus "$work/bus")
system_bus=$(start_bus "$work/system-bus")
[ -n "$bus" ] && [ -n "$system_bus" ] || skip "the buses did not start"
session_env=("${base_env[@]}" DBUS_SESSION_BUS_ADDRESS="$bus" DBUS_SYSTEM_BUS_ADDRESS="$system_bus")

"${as_user[@]}" "${session_env[@]}" /usr/bin/python3 -m dbusmock --template logind \
  >"$work/logind.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  "${as_user[@]}" "${session_env[@]}" gdbus introspect --system -d org.freedesktop.login1 \
    -o /org/freedesktop/login1 >/dev/null 2>&1 && break
  sleep 0.1
done

socket=quorlin-gnome
# MUTTER_DEBUG_RESET_IDLETIME: the idle monitor's reset, input for tests without a keyboard.
"${as_user[@]}" "${session_env[@]}" MUTTER_DEBUG_RESET_IDLETIME=1 gnome-shell --headless --wayland --no-x11 \
  --virtual-monitor 1280x800 --wayland-display "$socket" >"$work/compositor.log" 2>&1 &
pids+=($!)
for _ in $(seq 300); do grep -q "GNOME Shell started" "$work/compositor.log" && break; sleep 0.1; done
if ! grep -q "GNOME Shell started" "$work/compositor.log"; then
  tail -5 "$work/compositor.log"
  skip "GNOME Shell did not start headless here"
fi

"${as_user[@]}" "${session_env[@]}" WAYLAND_DISPLAY="$socket" QUORLIN_WL_COMPOSITOR=gnome \
  QUORLIN_WL_WORK="$work/out" ${QT_QPA_PLATFORM:+QT_QPA_PLATFORM=$QT_QPA_PLATFORM} "$@"
