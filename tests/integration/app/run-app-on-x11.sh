#!/usr/bin/env bash
# Starts the real program twice on a desktop of its own (Xvfb with a window manager and a
# tray) and checks what a user sees: the first start writes its autostart entry and
# settings, a hidden start goes to the tray, and a second copy is refused with exit code 0
# while the first sits hidden in the tray.
set -u
exe=$1
source "$(dirname "$0")/../scratch.sh"
need Xvfb xdotool icewm xprop import identify

start_xvfb
HOME=$work icewm >/dev/null 2>&1 &
pids+=($!)
sleep 2

export XDG_CONFIG_HOME=$work/config QUORLIN_SETTINGS=$work/Quorlin
export QUORLIN_PROGRAM_DIR=$(dirname "$exe") QUORLIN_REGISTRY_DIR=$work/registry
export QT_QPA_PLATFORM=xcb
# The strip of a first start stays on loopback.
export QUORLIN_WEATHER_PAGE=http://127.0.0.1:1/m/360/weather.htm
title='Varnel—Ossory软件'

"$exe" -Min >"$work/first.log" 2>&1 &
first=$!; pids+=("$first")
wait_for 20 xdotool search --name "^${title}\$" || fail "main window never appeared"
wait_for 10 grep -q 'AutoRun=1' "$QUORLIN_SETTINGS" || fail "AutoRun=1 not written"
desktop=$XDG_CONFIG_HOME/autostart/Quorlin.desktop
[ -f "$desktop" ] || fail "autostart entry missing"
grep -q "^Exec=.*Quorlin.* -Min\$" "$desktop" || fail "autostart Exec line wrong: $(grep Exec "$desktop")"
echo "first start: window up, AutoRun=1, autostart entry written"

# The splash plus one tick: a hidden start is no longer a plain visible window.
sleep 3
visible=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | while read -r w; do
  xprop -id "$w" WM_STATE 2>/dev/null | grep -q Iconic || echo "$w"; done)
[ -z "$visible" ] || fail "window still shown after a hidden start"
echo "hidden start: window hidden or minimised"

"$exe" >"$work/second.log" 2>&1 &
second=$!; pids+=("$second")
wait_for 15 xdotool search --pid "$second" || fail "second copy showed nothing"
sleep 0.5
for w in $(xdotool search --pid "$second"); do xdotool key --window "$w" Return 2>/dev/null; done
end=$((SECONDS + 10))
while kill -0 "$second" 2>/dev/null; do
  [ $SECONDS -ge $end ] && fail "second copy did not end after its message was answered"
  for w in $(xdotool search --pid "$second" 2>/dev/null); do xdotool key --window "$w" Return 2>/dev/null; done
  sleep 0.3
done
wait "$second"; rc=$?
[ $rc -eq 0 ] || fail "second copy exited with $rc"
kill -0 "$first" 2>/dev/null || fail "first copy died"
echo "second copy refused with exit code 0; first copy untouched"

# Back from the tray: the window hid its image while hidden and must paint itself anew.
# The tray icon is the small one of our class (the weather strip is ours too).
icon=$(for w in $(xdotool search --onlyvisible --class Quorlin 2>/dev/null); do
  xdotool getwindowgeometry "$w" | grep -qE 'Geometry: [0-9]{1,2}x[0-9]{1,2}$' && echo "$w"; done | head -1)
[ -n "$icon" ] || fail "no tray icon to click"
xdotool mousemove --window "$icon" 4 4 click 1
shown_first() { xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -1 | grep .; }
wait_for 10 shown_first || fail "a click on the tray icon did not bring the window back"
sleep 1
colours=$(import -window "$(shown_first)" png:- 2>/dev/null | identify -format %k - 2>/dev/null)
[ "${colours:-0}" -gt 50 ] || fail "the window came back unpainted (${colours:-no} colours)"
echo "back from the tray: window shown and painted ($colours colours)"
kill "$first" 2>/dev/null; wait "$first" 2>/dev/null

# At logon the panel's tray may come up after the program: a hidden start then falls back
# to the taskbar and must move into the tray once the tray appears.
start_xvfb
rm -rf "$work/config" "$QUORLIN_SETTINGS"
"$exe" -Min >"$work/late.log" 2>&1 &
late=$!; pids+=("$late")
wait_for 20 xdotool search --name "^${title}\$" || fail "late-tray start: no window"
sleep 4
HOME=$work icewm >/dev/null 2>&1 &
pids+=($!)
shown() { xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | while read -r w; do
  xprop -id "$w" WM_STATE 2>/dev/null | grep -q 'Normal\|Iconic' && echo "$w"; done; }
hidden() { [ -z "$(shown)" ]; }
wait_for 15 hidden || fail "window stayed in the taskbar after the tray appeared"
tray_icon() { xdotool search --onlyvisible --class Quorlin 2>/dev/null | grep -q .; }
wait_for 10 tray_icon || fail "no tray icon after the tray appeared"
echo "late tray: the window moved into the tray and the icon is shown"
echo "1 passed, 0 failed"
