#!/usr/bin/env bash
# The end of a session as the real program meets it on X11: SIGTERM (at the window, and
# during the splash) and the display going away. Each time the wallpaper rotation at exit
# must run exactly once, and nothing may wait for an answer: the password lock is on, and
# a box or the exit password would hold the program until it is killed.
set -u
exe=$1
source "$(dirname "$0")/../scratch.sh"
need Xvfb xdotool iconv
fail() { echo "FAIL: $*"; for f in "$work"/*.log; do echo "--- $f"; tail -20 "$f"; done; exit 1; }
title='Varnel—Ossory软件'

# An Xfce desktop whose settings tool records what it is told.
mkdir -p "$work/bin"
cat >"$work/bin/xfconf-query" <<EOF
#!/bin/sh
case "\$*" in *" -l"*) echo /backdrop/screen0/monitor0/workspace0/last-image; exit 0;; esac
echo "\$*" >>"\$XFCONF_LOG"
EOF
chmod +x "$work/bin/xfconf-query"
export PATH=$work/bin:$PATH XDG_CURRENT_DESKTOP=XFCE
export QUORLIN_PROGRAM_DIR=$(dirname "$exe") QT_QPA_PLATFORM=xcb

# The program started in a fresh world with rotation at every exit over two pictures, and
# the lock on; its pid in app.
start() { # start NAME
  local home=$work/$1
  mkdir -p "$home/data" "$home/config"
  export XDG_CONFIG_HOME=$home/config QUORLIN_SETTINGS=$home/Quorlin
  export QUORLIN_DATA_DIR=$home/data QUORLIN_REGISTRY_DIR=$home/registry
  export XFCONF_LOG=$work/$1.xfconf
  : >"$XFCONF_LOG"
  printf '%s\r\n' '[SystemTheme]' 'SystemThemeState=1' 'ThemeChangeMode=0' \
    'ThemeChangeDateMode=0' 'ThemeIndex=0' 'WallpaperIndex=0' \
    '[SafeModes]' 'Password=pw' 'SafeModeState=1' >"$QUORLIN_SETTINGS"
  printf '%s\r\n' "$home/first.png" "$home/second.png" >"$home/data/Wallpapers"
  "$exe" >"$work/$1.log" 2>&1 &
  app=$!; pids+=("$app")
}

# The program must end by itself, rotate once and store the next position.
check_end() { # check_end NAME PID
  local end=$((SECONDS + 15))
  while kill -0 "$2" 2>/dev/null; do
    [ $SECONDS -ge $end ] && fail "$1: still running 15 s after the end of its session"
    sleep 0.2
  done
  wait "$2"; local rc=$?
  [ $rc -lt 128 ] || fail "$1: ended by signal $((rc - 128)) (exit status $rc)"
  local sets
  sets=$(grep -c -- '-s ' "$work/$1.xfconf")
  [ "$sets" -eq 1 ] || fail "$1: the wallpaper was changed $sets times, not once"
  grep -q -- "-s $work/$1/first.png" "$work/$1.xfconf" || fail "$1: not the first picture"
  iconv -f GB18030 -t UTF-8 "$QUORLIN_SETTINGS" | grep -q '^WallpaperIndex=1' ||
    fail "$1: the next position was not stored"
  if grep -q '^quorlin.boxes' "$work/$1.log"; then
    fail "$1: a box was opened: $(grep quorlin.boxes "$work/$1.log")"
  fi
  echo "$1: ended with status $rc, wallpaper changed once, no box"
}

start_xvfb
start term
wait_for 20 xdotool search --name "^${title}\$" || fail "term: main window never appeared"
sleep 3 # past the splash: the lock panel is up
kill -TERM "$app"
check_end term "$app"

start splash
wait_for 20 xdotool search --pid "$app" || fail "splash: nothing appeared"
kill -TERM "$app"
check_end splash "$app"

start display
wait_for 20 xdotool search --name "^${title}\$" || fail "display: main window never appeared"
sleep 3
kill "$xvfb"
check_end display "$app"
echo "3 passed, 0 failed"
