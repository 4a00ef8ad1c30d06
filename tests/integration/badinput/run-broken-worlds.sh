#!/usr/bin/env bash
# Starts the real program once per broken world (a list file as garbage, as invalid GBK, with
# a 1 MB line, with 100,000 lines, as a folder, unreadable, or a link into a folder it must
# not write; a settings file full of bad values; a shipped file missing or cut short), each on
# an X server and in a home of its own, several at once. For each: the program still runs
# after 10 s, shows at most one clear Chinese message for the broken file (the program logs
# each box's text on standard error; each box seen on the display is answered), and leaves
# the broken file and the folder a link points into byte for byte as they were.
# Usage: run-broken-worlds.sh PROGRAM [SOURCE_DIR] [CASE...]
set -u
exe=$(realpath "$1")
src=$(realpath "${2:-$(dirname "$0")/../../..}")
shift 2 2>/dev/null || shift $#
only=("$@")
for tool in Xvfb xdotool xprop iconv sha256sum; do
  command -v $tool >/dev/null || { echo "$tool missing: skipped"; exit 77; }
done
[ -x "$exe" ] || { echo "not built: $exe"; exit 1; }
parallel=${PARALLEL:-10}
run_for=${RUN_FOR:-10}

work=$(mktemp -d /tmp/quorlin-broken.XXXXXX)
chmod 755 "$work"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  chmod -R u+rwX "$work" 2>/dev/null
  [ -z "${KEEP:-}" ] || cp -a "$work" "$KEEP"
  rm -rf "$work"
}
trap cleanup EXIT

# Root reads every file whatever its mode: the program then runs as nobody.
as_user=()
owner=$(id -u)
if [ "$owner" -eq 0 ]; then
  command -v setpriv >/dev/null || { echo "setpriv missing: skipped"; exit 77; }
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
  owner=65534
fi

gbk() { iconv -f UTF-8 -t GBK; }
crlf() { sed 's/$/\r/'; }
# A NUL first: the first line of a damaged list may be anything.
garbage() { { printf '\0\x1b'; head -c 65534 /dev/urandom; } >"$1"; }
# Lead bytes without a valid trail, a lone trail byte and a cut-off pair at the end.
bad_gbk() { printf '2026/12/10 9:00:00 \x81\x20\xff\xfe\x80\r\n\xa1\r\n\xd6' >"$1"; }
long_line() { { head -c 1048576 /dev/zero | tr '\0' 'A'; printf '\r\n'; } >"$1"; }
# A plausible line of each list, 100,000 times.
many_lines() {
  local line=$2
  yes "$line" | head -n 100000 | gbk | crlf >"$1"
}
declare -A sample=(
  [Memorandum.txt]="2030/01/01 9:00:00 一条备忘"
  [RadioTiming]="星期三 3:33:33 中国之声"
  [NetRadio.dat]="电台=http://127.0.0.1:9/live"
  [AutoRunApplication]="/opt/没有的程序"
  [DisbleProcessList]="无标题 - 记事本 星期一 星期五 8:00:00 17:00:00"
  [Themes]="C:\\Themes\\一个主题.theme"
  [Wallpapers]="D:\\Pictures\\一张壁纸.jpg"
)

# make_world DIR: a fresh home, settings, program folder and data folder.
make_world() {
  local w=$1
  mkdir -p "$w/home/.config" "$w/home/.local/share" "$w/home/.cache" "$w/data" "$w/registry"
  mkdir -m 700 "$w/runtime"
  cp -r "$src/data/dist" "$w/program"
  printf '[AppAutoRun]\r\nAutoRun=0\r\n' >"$w/Quorlin"
  # The weather strip off: no browser process in every world.
  printf '[Weather]\r\nWeatherMode=0\r\n' >"$w/data/Weather"
  # A folder the program must leave alone, holding one file a link may point at.
  mkdir -p "$w/protected"
  printf '别人的文件\r\n' | gbk >"$w/protected/file"
}

# The file each case breaks, relative to the world; set by break_world.
break_world() { # break_world DIR CASE
  local w=$1 case=$2 list kind f
  case $case in
  list:*)
    list=${case#list:}; kind=${list#*:}; list=${list%%:*}
    f=$w/data/$list
    [ "$list" = NetRadio.dat ] && cp "$w/program/NetRadio.dat" "$f"
    case $kind in
    garbage) garbage "$f" ;;
    badgbk) bad_gbk "$f" ;;
    longline) long_line "$f" ;;
    manylines)
      if [ "$list" = AutoRunApplication ]; then
        # Started at every start: each line a program that is not there.
        yes "/opt/没有的程序" | head -n 100000 | gbk | crlf >"$f"
      elif [ "$list" = NetRadio.dat ]; then
        { cat "$w/program/NetRadio.dat"; printf '[Favourites]\r\n'
          seq 1 100000 | sed 's|.*|电台&=http://127.0.0.1:9/&|' | gbk | crlf; } >"$f"
      else
        many_lines "$f" "${sample[$list]}"
      fi ;;
    folder) rm -f "$f"; mkdir -p "$f/inside" ;;
    unreadable) printf '%s\r\n' "${sample[$list]:-/opt/没有的程序}" | gbk >"$f"; chmod 000 "$f" ;;
    symlink) rm -f "$f"; ln -s ../protected/file "$f"; echo "$w/protected/file" >"$w/watch" ;;
    esac
    echo "$f" >>"$w/watch" ;;
  settings:*)
    f=$w/Quorlin
    settings_world "$f" "${case#settings:}"
    # Arming a stored rule writes its section again, by design: what must stay is every
    # section, in order.
    grep -a '^\[' "$f" | uniq >"$w/sections" ;;
  shipped:*)
    local what=${case#shipped:}; kind=${what#*:}; what=${what%%:*}
    case $what in
    help) f=$w/program/使用指南.html ;;
    skin) f=$w/program/PixOS.ssk ;;
    alarm) f=$w/program/AlarmClockSound/AlarmClock.mp3; touch "$w/arm-alarm" ;;
    chime) f=$w/program/TimeSound/12.wav ;;
    catalogue) f=$w/program/NetRadio.dat ;;
    esac
    if [ "$kind" = missing ]; then rm -f "$f"; else truncate -s 100 "$f"; echo "$f" >"$w/watch"; fi ;;
  esac
}

# An alarm due a few seconds after the start, every day.
arm_alarm() {
  printf '[AlarmClocks]\r\nAlarmClockWeekUp=0\r\nAlarmClockWeekDown=6\r\nAlarmClockFirstTime=%s\r\nAlarmClockFirstState=1\r\n' \
    "$(date -d "+$2 seconds" +%-H:%M:%S)" >>"$1"
}

# Every key the program reads, with one kind of bad value.
settings_world() { # settings_world FILE KIND
  local f=$1 kind=$2
  local keys='FixedTimes:FixedTime,FixedDate,FixedShutDown,FixedTimeState,FixedDay
DestineWeeks:DestineWeekTime,DestineWeek,DestineWeekShutDownMode,DestineWeekState
ConfineWeekTimes:ConfineWeekUp,ConfineWeekDown,ConfineTimeUp,ConfienTimeDown,ConfineWeekShutDownMode,ConfineWeekState
SystemRunTimes:SystemRunTime,SystemRunTimeSelect,SystemRunShutDownMode,SystemRunState
EconomizePowers:EconomizePowerTime,EconomizePowerTimeSelect,EconomizePowerShutDownMode,EconomizePowerState
NetStates:NetStateTime,NetStateTimeSelect,NetStateShutDown,NetState
AlarmClocks:AlarmClockWeekUp,AlarmClockWeekDown,AlarmClockFirstTime,AlarmClockSecondTime,AlarmClockFirstHint,AlarmClockSecondHint,AlarmClockFirstState,AlarmClockSecondState,AlarmClockSoundPath
SafeModes:SafeMode,SafeModePassword
AppAutoRun:AutoRun
SystemClear:SystemClearTime,SystemClearState,SystemClearMode,SystemClearDisk
SystemTheme:ThemeDate,ThemeChangeMode,ThemeChangeDateMode,ThemeChangeState,ThemeIndex,WallpaperIndex,SystemThemeState
HintTime:HintTimeMode
RestHint:RestHintTime,RestHintState,RestHintMode
NetRadio:RadioVolume,CurrentRadioName,RadioAutoPlay,RadioPlaying'
  : >"$f"
  while IFS=: read -r section names; do
    printf '[%s]\n' "$section"
    for k in ${names//,/ }; do
      case $kind in
      outofrange) printf '%s=%s\n' "$k" "$([ $((RANDOM % 2)) -eq 0 ] && echo 99999999999 || echo -2147483649)" ;;
      nonnumeric) printf '%s=%s\n' "$k" '十二点 abc' ;;
      duplicated | huge) printf '%s=1\n' "$k" ;;
      esac
    done
    # The same section again, with other values.
    if [ "$kind" = duplicated ]; then
      printf '[%s]\n' "$section"
      for k in ${names//,/ }; do printf '%s=0\n' "$k"; done
    fi
  done <<<"$keys" | gbk | crlf >"$f"
  if [ "$kind" = huge ]; then
    { printf '[AlarmClocks]\r\nAlarmClockFirstHint='; head -c 10485760 /dev/zero | tr '\0' 'z'; printf '\r\n'; } >>"$f"
  fi
}

# Case names: list:FILE:KIND, settings:KIND, shipped:WHAT:KIND.
cases=()
for list in Memorandum.txt RadioTiming NetRadio.dat AutoRunApplication DisbleProcessList Themes Wallpapers; do
  for kind in garbage badgbk longline manylines folder unreadable symlink; do
    cases+=("list:$list:$kind")
  done
done
for kind in outofrange nonnumeric duplicated huge; do cases+=("settings:$kind"); done
for what in help skin alarm chime catalogue; do
  for kind in missing truncated; do cases+=("shipped:$what:$kind"); done
done
[ ${#only[@]} -eq 0 ] || cases=("${only[@]}")

# The ring of the alarm armed above is the alarm doing its job, not a complaint.
expected_message='闹铃时间到'

sums() { # sums WORLD WHEN: the watched files and the protected folder, as they are now
  local f
  while read -r f; do
    [ -n "$f" ] || continue
    if [ -d "$f" ] && [ ! -L "$f" ]; then (cd "$f" && find . | sort); else sha256sum <"$f" 2>/dev/null || echo unreadable; fi
  done <"$1/watch" >"$1/$2"
  (cd "$1/protected" && find . -type f -exec sha256sum {} + | sort) >"$1/protected.$2"
}

# One case, start to verdict; writes $w/verdict ("ok ..." or "FAIL ...").
run_case() { # run_case INDEX CASE
  local i=$1 case=$2 w=$work/$1 f
  make_world "$w"
  : >"$w/watch"
  break_world "$w" "$case"
  sums "$w" before
  chown -R "$owner" "$w" 2>/dev/null
  chown -R 0 "$w/protected" 2>/dev/null
  chmod -R go-w "$w/protected"
  # The unreadable file stays so for its owner as well.

  exec {fd}>"$w/display"
  Xvfb -displayfd $fd -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  local xvfb=$!
  exec {fd}>&-
  for _ in $(seq 100); do [ -s "$w/display" ] && break; sleep 0.1; done
  local display=:$(cat "$w/display")
  for _ in $(seq 300); do DISPLAY=$display xprop -root >/dev/null 2>&1 && break; sleep 0.1; done
  [ -e "$w/arm-alarm" ] && arm_alarm "$w/Quorlin" 8
  env -i PATH=/usr/bin:/bin DISPLAY=$display HOME=$w/home XDG_CONFIG_HOME=$w/home/.config \
    XDG_DATA_HOME=$w/home/.local/share XDG_CACHE_HOME=$w/home/.cache XDG_RUNTIME_DIR=$w/runtime \
    QUORLIN_SETTINGS=$w/Quorlin QUORLIN_REGISTRY_DIR=$w/registry QUORLIN_PROGRAM_DIR=$w/program/ \
    QUORLIN_DATA_DIR=$w/data QUORLIN_PROBE_HOST=127.0.0.1 QUORLIN_TIME_SERVER=127.0.0.1:9 \
    DBUS_SYSTEM_BUS_ADDRESS=unix:path=$w/no-bus DBUS_SESSION_BUS_ADDRESS=unix:path=$w/no-bus \
    QT_QPA_PLATFORM=xcb LANG=zh_CN.UTF-8 QTWEBENGINE_CHROMIUM_FLAGS=--no-sandbox \
    "${as_user[@]}" "$exe" -Min >"$w/program.log" 2>&1 &
  local pid=$!
  local seen=" " boxes=0 verdict=ok why=""
  # The 10 s count from the first window: on a loaded machine a start takes a while.
  local end=$((SECONDS + 60))
  until DISPLAY=$display xdotool search --pid $pid >/dev/null 2>&1; do
    [ $SECONDS -lt $end ] && kill -0 $pid 2>/dev/null || break
    sleep 0.2
  done
  end=$((SECONDS + run_for))
  while [ $SECONDS -lt $end ]; do
    kill -0 $pid 2>/dev/null || break
    for win in $(DISPLAY=$display xdotool search --onlyvisible --pid $pid 2>/dev/null); do
      case $seen in *" $win "*) continue ;; esac
      DISPLAY=$display xprop -id "$win" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q DIALOG || continue
      seen+="$win "
      boxes=$((boxes + 1))
      DISPLAY=$display xdotool windowfocus --sync "$win" key Return 2>/dev/null
    done
    sleep 0.3
  done
  if ! kill -0 $pid 2>/dev/null; then
    wait $pid; verdict=FAIL; why="ended with $? within ${run_for} s"
  fi
  kill $pid 2>/dev/null; wait $pid 2>/dev/null
  kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null

  # The boxes' texts as the program logged them, one line each.
  local complaints=0 text
  while IFS= read -r text; do
    echo "$text" | grep -Eq "^($expected_message)" && continue
    complaints=$((complaints + 1))
    if [ ${#text} -gt 600 ]; then verdict=FAIL; why+=" a message of ${#text} characters;"
    elif ! echo "$text" | grep -qP '\p{Han}'; then verdict=FAIL; why+=" a message without Chinese: ${text:0:120};"
    fi
    echo "${text:0:300}" >>"$w/texts"
  done < <(sed -n 's/^quorlin.boxes: //p' "$w/program.log")
  [ $boxes -le $((complaints + $(grep -Ec "^quorlin.boxes: ($expected_message)" "$w/program.log"))) ] ||
    { verdict=FAIL; why+=" $boxes boxes on the screen, fewer in the log;"; }
  # A settings file may hold a bad value for several rules: one message each, none twice.
  if [ -e "$w/sections" ]; then
    [ -z "$(sort "$w/texts" 2>/dev/null | uniq -d)" ] || { verdict=FAIL; why+=" a message twice;"; }
    grep -a '^\[' "$w/Quorlin" | uniq | grep -Fxf - "$w/sections" | cmp -s - "$w/sections" ||
      { verdict=FAIL; why+=" sections of the settings file lost;"; }
  else
    [ $complaints -le 1 ] || { verdict=FAIL; why+=" $complaints messages;"; }
  fi

  chmod -R u+rX "$w/data" 2>/dev/null
  sums "$w" after
  cmp -s "$w/before" "$w/after" || { verdict=FAIL; why+=" the broken file changed;"; }
  cmp -s "$w/protected.before" "$w/protected.after" || { verdict=FAIL; why+=" the protected folder changed;"; }
  echo "$verdict $case: $complaints message(s)${why:+;$why}" >"$w/verdict"
  [ -s "$w/texts" ] && sed 's/^/    /' "$w/texts" >>"$w/verdict"
  [ "$verdict" = ok ] || tail -n 5 "$w/program.log" | sed 's/^/    log: /' >>"$w/verdict"
}

started=$SECONDS
running=()
for i in "${!cases[@]}"; do
  run_case "$i" "${cases[$i]}" &
  running+=($!)
  pids+=($!)
  if [ ${#running[@]} -ge "$parallel" ]; then
    wait "${running[0]}"
    running=("${running[@]:1}")
  fi
done
wait "${running[@]}" 2>/dev/null

passed=0 failed=0
for i in "${!cases[@]}"; do
  if [ -s "$work/$i/verdict" ]; then cat "$work/$i/verdict"; else echo "FAIL ${cases[$i]}: no verdict"; fi
  if grep -q '^ok ' "$work/$i/verdict" 2>/dev/null; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
done
echo "${#cases[@]} broken worlds in $((SECONDS - started)) s"
echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
