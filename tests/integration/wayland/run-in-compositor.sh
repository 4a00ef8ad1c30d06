#!/usr/bin/env bash
# Runs a command inside a headless Wayland compositor of its own, with a native client
# window to type into:
#
#   run-in-compositor.sh sway|kwin|gnome COMMAND...
#
# The compositor, a private session bus and the command run as an ordinary user (nobody
# when started as root: sway refuses root). The command sees
#   WAYLAND_DISPLAY, XDG_RUNTIME_DIR, DBUS_SESSION_BUS_ADDRESS  the session
#   QUORLIN_WL_COMPOSITOR  sway, kwin or gnome
#   QUORLIN_WL_TYPE        a command that types its one argument (a-z, 0-9, space,
#                          newline) into the focused window, through the seat
#   QUORLIN_WL_TYPED       the file where the native window's typed text ends up
#   QUORLIN_WL_WORK        a directory the command may write to
#   QUORLIN_WL_COMPOSITOR_PID  the compositor, for tests that end it
# The native window is foot on sway. KWin's and GNOME's virtual outputs have no physical
# size, which foot divides by: there the window is $QUORLIN_WL_NATIVE (a command that must
# write what it receives to $QUORLIN_WL_TYPED); without one no window is opened.
# Typing on sway is wtype; on KWin, which has no virtual keyboard, $QUORLIN_WL_FAKE_TYPE
# (a client of org_kde_kwin_fake_input, which KWin grants through a desktop file); on GNOME
# gnome-type.py, through the shell's remote-desktop interface.
# Exits 77 (skipped) when the compositor or its tools are missing or cannot start here.
set -uo pipefail
compositor=${1:-}
shift || true
[ $# -gt 0 ] || { echo "usage: $0 sway|kwin|gnome COMMAND..."; exit 2; }
skip() { echo "skipped: $*"; exit 77; }

case $compositor in
  sway) for t in sway foot wtype; do command -v $t >/dev/null || skip "$t missing"; done
        type_cmd=wtype ;;
  kwin) command -v kwin_wayland >/dev/null || skip "kwin_wayland missing"
        [ -x "${QUORLIN_WL_FAKE_TYPE:-}" ] || skip "no typing tool for KWin"
        command -v kbuildsycoca5 >/dev/null || skip "kbuildsycoca5 missing (KWin grants fake input by desktop file)"
        type_cmd=$QUORLIN_WL_FAKE_TYPE ;;
  gnome) command -v gnome-shell >/dev/null || skip "gnome-shell missing"
        /usr/bin/python3 -c 'import dbus' 2>/dev/null || skip "python3-dbus missing"
        type_cmd=$(cd "$(dirname "$0")" && pwd)/gnome-type.py ;;
  *) echo "unknown compositor '$compositor'"; exit 2 ;;
esac
command -v dbus-daemon >/dev/null || skip "dbus-daemon missing"

as_user=()
owner=$(id -u):$(id -g)
if [ "$(id -u)" -eq 0 ]; then
  command -v setpriv >/dev/null || skip "setpriv missing"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups --inh-caps=-all --)
  owner=65534:65534
fi

work=$(mktemp -d /tmp/quorlin-wl.XXXXXX)
chmod 755 "$work"
mkdir -p "$work/run" "$work/home/.local/share/applications" "$work/out"
chmod 700 "$work/run"
pids=()
# Each background program leads a process group of its own, so that what it starts (the
# bus's activated services, the compositor's helpers) ends with it.
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill -- -"${pids[i]}" 2>/dev/null; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
  [ -n "${QUORLIN_WL_KEEP:-}" ] && { echo "kept $work"; return; }
  rm -rf "$work"
}
trap cleanup EXIT

socket=quorlin-$compositor
typed=$work/out/typed
base_env=(env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_RUNTIME_DIR="$work/run"
  LANG=C.UTF-8 XDG_DATA_DIRS=/usr/local/share:/usr/share)

if [ "$compositor" = kwin ]; then
  # KWin offers fake input only to programs whose desktop file asks for it.
  printf '[Desktop Entry]\nType=Application\nName=typing for tests\nExec=%s\nNoDisplay=true\nX-KDE-Wayland-Interfaces=org_kde_kwin_fake_input\n' \
    "$type_cmd" >"$work/home/.local/share/applications/quorlin-wl-type.desktop"
fi
if [ "$compositor" = sway ]; then
  # wtype sends its keymap and at once the keys: a client still taking in the keymap drops
  # the first ones. A pause after the keymap lets every key arrive.
  printf '#!/bin/sh\nexec wtype -s 150 "$1"\n' >"$work/type"
  chmod 755 "$work/type"
  type_cmd=$work/type
fi
# A GNOME Shell extension folder to install for the user, switched off as a package leaves
# it: $QUORLIN_WL_GNOME_EXTENSION.
if [ -n "${QUORLIN_WL_GNOME_EXTENSION:-}" ]; then
  mkdir -p "$work/home/.local/share/gnome-shell/extensions"
  cp -r "$QUORLIN_WL_GNOME_EXTENSION" "$work/home/.local/share/gnome-shell/extensions/"
fi
chown -R "$owner" "$work/run" "$work/home" "$work/out"

setsid "${as_user[@]}" "${base_env[@]}" dbus-daemon --session --nofork --print-address=3 \
  3>"$work/bus" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/bus" ] && break; sleep 0.1; done
bus=$(head -1 "$work/bus")
[ -n "$bus" ] || skip "the session bus did not start"
session_env=("${base_env[@]}" DBUS_SESSION_BUS_ADDRESS="$bus")

case $compositor in
  sway)
    printf 'output HEADLESS-1 resolution 1280x800\ndefault_border none\n' >"$work/sway.cfg"
    setsid "${as_user[@]}" "${session_env[@]}" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
      WLR_RENDERER=pixman sway -c "$work/sway.cfg" >"$work/compositor.log" 2>&1 &
    pids+=($!)
    socket_file=$(for _ in $(seq 200); do
      f=$(ls "$work/run" 2>/dev/null | grep -E '^wayland-[0-9]+$' | head -1)
      [ -n "$f" ] && { echo "$f"; break; }; sleep 0.1; done)
    socket=${socket_file:-$socket} ;;
  kwin)
    # Debian gives kwin_wayland a file capability (CAP_SYS_RESOURCE); where the container
    # may not grant it, exec fails. A copy carries no capability and runs the same.
    cp /usr/bin/kwin_wayland "$work/kwin_wayland" && chmod 755 "$work/kwin_wayland"
    setsid "${as_user[@]}" "${session_env[@]}" QT_QPA_PLATFORM=offscreen "$work/kwin_wayland" \
      --virtual --no-lockscreen --no-global-shortcuts --socket "$socket" \
      --width 1280 --height 800 >"$work/compositor.log" 2>&1 &
    pids+=($!) ;;
  gnome)
    # The shell looks for logind on the system bus and stops where there is no system bus
    # at all; the private bus stands in (no logind on it: the shell does without).
    setsid "${as_user[@]}" "${session_env[@]}" DBUS_SYSTEM_BUS_ADDRESS="$bus" gnome-shell \
      --headless --wayland --no-x11 --virtual-monitor 1280x800 --wayland-display "$socket" \
      >"$work/compositor.log" 2>&1 &
    pids+=($!) ;;
esac
compositor_pid=${pids[-1]}
for _ in $(seq 200); do [ -S "$work/run/$socket" ] && break; sleep 0.1; done
if [ ! -S "$work/run/$socket" ]; then
  tail -5 "$work/compositor.log"
  skip "$compositor did not start headless here"
fi
if [ "$compositor" = gnome ]; then
  # The shell's remote desktop, which types for the tests, comes up last.
  for _ in $(seq 300); do
    "${as_user[@]}" "${session_env[@]}" dbus-send --session --print-reply \
      --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
      string:org.gnome.Mutter.RemoteDesktop 2>/dev/null | grep -q true && break
    sleep 0.1
  done
fi
sleep 0.5

user_env=("${session_env[@]}" WAYLAND_DISPLAY="$socket" QUORLIN_WL_COMPOSITOR="$compositor"
  QUORLIN_WL_COMPOSITOR_PID="$compositor_pid"
  QUORLIN_WL_TYPE="$type_cmd" QUORLIN_WL_TYPED="$typed" QUORLIN_WL_WORK="$work/out")
native=()
if [ "$compositor" = sway ]; then
  native=(foot -e sh -c ': >"$QUORLIN_WL_TYPED"; exec cat >>"$QUORLIN_WL_TYPED"')
elif [ -n "${QUORLIN_WL_NATIVE:-}" ]; then
  native=($QUORLIN_WL_NATIVE)
fi
if [ ${#native[@]} -gt 0 ]; then
  setsid "${as_user[@]}" "${user_env[@]}" QT_QPA_PLATFORM=wayland "${native[@]}" \
    >"$work/native.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -e "$typed" ] && break; sleep 0.1; done
  [ -e "$typed" ] || { tail -5 "$work/native.log"; echo "FAIL: the native window did not open"; exit 1; }
  # The window is mapped and focused shortly after its program runs.
  sleep 1
fi
if [ "$compositor" = gnome ]; then
  # The shell starts in its overview, which takes the keys; leaving it focuses the window.
  "${as_user[@]}" "${session_env[@]}" "$type_cmd" $'\e' 2>"$work/overview.log" ||
    { tail -n 3 "$work/overview.log"; echo "could not leave the overview"; }
  sleep 0.5
fi

# The command's own environment: the session's, plus what the test runner set for it.
extra=()
for v in QT_QPA_PLATFORM QUORLIN_SETTINGS QUORLIN_PROGRAM_DIR QUORLIN_REGISTRY_DIR \
         GTEST_FILTER QUORLIN_WL_NATIVE; do
  [ -n "${!v:-}" ] && extra+=("$v=${!v}")
done
"${as_user[@]}" "${user_env[@]}" "${extra[@]}" "$@"
