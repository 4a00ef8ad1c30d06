#!/usr/bin/env bash
# Starts the built program hidden (-Min) on a private X server with a window manager and tray,
# in a private home (HOME, XDG folders, settings, program folder, registry, session bus), lets
# it settle, then samples /proc and prints CPU use, resident memory (RSS) and proportional
# memory (PSS), each summed over the program and every process it started, and how often the
# program's own threads were switched in (voluntary and forced context switches): at rest it
# sleeps until something is due, so a handful a minute.
#
# Usage: scripts/measure.sh [--world first|off|full|web]... [--beside 'COMMAND'] [PROGRAM]
#   Worlds (all three when none is named), each in a fresh private home:
#   first  a first start: no files of the user's, so the weather strip is on and loads its
#          page, served here from loopback (and reloads it 30 s later).
#   off    the same with the weather strip switched off.
#   full   a used world: every landed rule and both alarms armed (none due for hours),
#          1,000 memorandum notes and 1,000 radio timings; the strip on.
#   timed  (only when named) every feature that acts at known times armed, none due in the
#          sample (rules, alarms, 1,000 notes and timings, chime, rest, weekly cleaning); the
#          strip off. The ones that look every second (event rules, lock, blocked) stay off.
#   blocked (only when named) the default world with 1,000 blocked programs armed, strip off.
#   web    (only when named) a first start whose strip asks for the web engine.
#   --beside COMMAND  also measures another program started with COMMAND the same way (the
#          same X server, window manager, settle and sample), for figures side by side.
#   SETTLE=20 SAMPLE=60 (seconds) override the two phases; SWITCHES_BY_THREAD=1 prints the
#   context switches of each thread.
# No power action can reach this machine: the system bus points at nothing, and the network
# rule probes 127.0.0.1. Nothing is fetched from outside: the weather page is on loopback.
set -euo pipefail
cd "$(dirname "$0")/.."
worlds=()
beside=""
while [ $# -gt 0 ]; do
  case "$1" in
    --world) worlds+=("$2"); shift 2 ;;
    --full) worlds+=(full); shift ;; # the old spelling
    --beside) beside=$2; shift 2 ;;
    *) break ;;
  esac
done
[ ${#worlds[@]} -gt 0 ] || worlds=(first off full)
for w in "${worlds[@]}"; do
  case "$w" in first|off|full|web|timed|blocked) ;;
    *) echo "unknown world: $w (first, off, full, web, timed, blocked)" >&2; exit 2 ;; esac
done
exe=$(realpath "${1:-build/default/src/Quorlin}")
settle=${SETTLE:-20}
sample=${SAMPLE:-60}
[ -x "$exe" ] || { echo "not built: $exe (cmake --build --preset default --target Quorlin)" >&2; exit 2; }
command -v Xvfb >/dev/null || { echo "Xvfb missing (scripts/install-deps.sh)" >&2; exit 2; }
python=/usr/bin/python3
[ -x "$python" ] || python=python3

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
exec 3>&-
export DISPLAY=:$(cat "$work/display")
export QT_QPA_PLATFORM=xcb LANG=zh_CN.UTF-8
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$work/no-system-bus
unset SESSION_MANAGER DESKTOP_SESSION

# The weather page, a small one with a picture, served from loopback for every world.
mkdir -p "$work/site/m/360"
cat >"$work/site/m/360/weather.htm" <<'HTML'
<!DOCTYPE html><html><head><meta charset="utf-8"><title>天气</title></head>
<body style="margin:0;font-size:13px"><table><tr><td><img src="sun.gif" width="16" height="16"></td>
<td>北京 晴 25°C / 14°C 北风 3-4级</td></tr><tr><td></td><td>明天 多云 23°C / 13°C</td></tr></table>
</body></html>
HTML
printf 'GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xcc\x00\x00\x00\x00!\xf9\x04\x01\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;' \
  >"$work/site/m/360/sun.gif"
"$python" -c '
import functools, http.server, sys
handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=sys.argv[1])
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
open(sys.argv[2], "w").write(str(server.server_address[1]))
server.serve_forever()' "$work/site" "$work/site-port" 2>"$work/site.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/site-port" ] && break; sleep 0.1; done
[ -s "$work/site-port" ] || { echo "the loopback page server did not start" >&2; exit 1; }
page="http://127.0.0.1:$(cat "$work/site-port")/m/360/weather.htm"

# A private home for one world; the previous one goes.
fresh_home() {
  rm -rf "$work/home" "$work/runtime" "$work/registry" "$work/program"
  export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
  export XDG_CACHE_HOME=$work/home/.cache XDG_RUNTIME_DIR=$work/runtime
  mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  export QUORLIN_SETTINGS=$XDG_CONFIG_HOME/Quorlin QUORLIN_REGISTRY_DIR=$work/registry
  export QUORLIN_PROGRAM_DIR=$work/program/ QUORLIN_PROBE_HOST=127.0.0.1
  export QUORLIN_WEATHER_PAGE=$page
  # The program folder as shipped: beside the executable.
  cp -r data/dist "$work/program"
  lists=$XDG_DATA_HOME/Quorlin
}

if command -v dbus-daemon >/dev/null; then
  bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
  read -r address bus_pid <<<"$(echo $bus)"
  export DBUS_SESSION_BUS_ADDRESS=$address
  pids+=("$bus_pid")
else
  unset DBUS_SESSION_BUS_ADDRESS
fi
if command -v icewm >/dev/null; then
  icewm >/dev/null 2>&1 &
  pids+=($!)
  sleep 1
fi

# The rules that act at known times and both alarms, armed, none due for hours.
timed_settings() {
  local today
  today=$(date +%Y/%m/%d)
  cat <<INI
[FixedTimes]
FixedTime=$(date -d '+6 hours' +%-H:%M:%S)
FixedDate=$today
FixedShutDown=0
FixedTimeState=1
FixedDay=0
[DestineWeeks]
DestineWeekTime=$(date -d '+6 hours' +%-H:%M:%S)
DestineWeek=$(( ($(date +%w) + 3) % 7 ))
DestineWeekShutDownMode=0
DestineWeekState=1
[ConfineWeekTimes]
ConfineWeekUp=$(( ($(date +%w) + 3) % 7 ))
ConfineWeekDown=$(( ($(date +%w) + 3) % 7 ))
ConfineTimeUp=0:00:00
ConfienTimeDown=23:59:59
ConfineWeekShutDownMode=0
ConfineWeekState=1
[AlarmClocks]
AlarmClockWeekUp=0
AlarmClockWeekDown=6
AlarmClockFirstTime=$(date -d '+7 hours' +%-H:%M:%S)
AlarmClockSecondTime=$(date -d '+8 hours' +%-H:%M:%S)
AlarmClockFirstState=1
AlarmClockSecondState=1
INI
}

# 1,000 memorandum notes and 1,000 radio timings, none due for hours.
timed_lists() {
  # The user's lists live in the data folder. Notes from the day after tomorrow on; timings
  # on other hours than the next three.
  for i in $(seq 0 999); do
    printf '%s %d:%02d:00 第%d条备忘录内容\n' "$(date -d "+$((2 + i / 10)) days" +%Y/%m/%d)" \
      $(( (10#$(date +%H) + 3 + i % 5) % 24 )) $((i % 60)) "$i"
  done | iconv -f UTF-8 -t GBK >"$lists/Memorandum.txt"
  days=(每天 星期日 星期一 星期二 星期三 星期四 星期五 星期六)
  for i in $(seq 0 999); do
    printf '%s %d:%02d:%02d 中国之声\n' "${days[i % 8]}" $(( (10#$(date +%H) + 3 + i % 10) % 24 )) \
      $((i % 60)) $(( (i / 60) % 60 ))
  done | iconv -f UTF-8 -t GBK >"$lists/RadioTiming"
}

full_world() {
  mkdir -p "$lists"
  { timed_settings; cat <<INI
[SystemRunTimes]
SystemRunTime=99
SystemRunTimeSelect=2
SystemRunShutDownMode=0
SystemRunState=1
[EconomizePowers]
EconomizePowerTime=99
EconomizePowerTimeSelect=2
EconomizePowerShutDownMode=5
EconomizePowerState=1
[NetStates]
NetStateTime=99
NetStateTimeSelect=2
NetStateShutDown=0
NetState=1
INI
  } >"$QUORLIN_SETTINGS"
  timed_lists
  sed -i 's/$/\r/' "$QUORLIN_SETTINGS" "$lists/Memorandum.txt" "$lists/RadioTiming"
}

# Every timed feature armed, nothing due for hours; the event rules, lock and blocked off.
timed_world() {
  mkdir -p "$lists"
  printf '[Weather]\r\nWeatherMode=0\r\n' >"$lists/Weather"
  { timed_settings; cat <<INI
[HintTime]
HintTime=1
[RestHint]
RestHint=1
[SystemClear]
WeekClear=1
DestineWeekClearState=1
NextDate=$(date -d '+7 days' +%Y/%m/%d)
ClearState=1
INI
  } >"$QUORLIN_SETTINGS"
  timed_lists
  sed -i 's/$/\r/' "$QUORLIN_SETTINGS" "$lists/Memorandum.txt" "$lists/RadioTiming"
}

# 1,000 blocked programs on every weekday, all day: their check looks every second.
blocked_world() {
  mkdir -p "$lists"
  printf '[Weather]\r\nWeatherMode=0\r\n' >"$lists/Weather"
  days=(星期日 星期一 星期二 星期三 星期四 星期五 星期六)
  for i in $(seq 0 999); do
    printf '窗口%d %s %s 0:00:00 23:59:59\r\n' "$i" "${days[0]}" "${days[6]}"
  done | iconv -f UTF-8 -t GBK >"$lists/DisbleProcessList"
}

# The process and every process below it, one id a line.
tree() {
  ps -e -o pid=,ppid= | awk -v root="$1" '
    { parent[$1] = $2; ids[++n] = $1 }
    END {
      keep[root] = 1; print root
      do { more = 0
        for (i = 1; i <= n; i++) { p = ids[i]
          if (!(p in keep) && (parent[p] in keep)) { keep[p] = 1; print p; more = 1 } }
      } while (more)
    }'
}
sum_status() { # field of /proc/PID/status, kB summed over the tree
  local total=0 v
  for p in $(tree "$1"); do
    v=$(awk -v f="$2:" '$1 == f { print $2 }' "/proc/$p/status" 2>/dev/null) || true
    total=$((total + ${v:-0}))
  done
  echo $total
}
pss() {
  local total=0 v
  for p in $(tree "$1"); do
    v=$(awk '/^Pss:/ { print $2 }' "/proc/$p/smaps_rollup" 2>/dev/null) || true
    total=$((total + ${v:-0}))
  done
  echo $total
}
# Nanoseconds on a CPU of each thread in the tree, "tid ns" lines. Sampled every second, so
# that a thread that ends (a pool thread idle for 30 s) keeps what it ran while it lived.
thread_times() {
  local p t
  for p in $(tree "$1"); do
    for t in /proc/"$p"/task/*; do
      read -r ns _ <"$t/schedstat" 2>/dev/null && echo "${t##*/} $ns"
    done
  done
}
# Children of the program already reaped, from its own counters (clock ticks, in ns).
reaped() {
  awk -v hz="$(getconf CLK_TCK)" '{ sub(/^.*\) /, ""); printf "%.0f\n", ($14 + $15) * 1e9 / hz }' \
    "/proc/$1/stat" 2>/dev/null || echo 0
}
# The time run over the sample from the first snapshot ($1) and the later ones ($2).
times_total() {
  awk 'NR == FNR { base[$1] = $2; next } { last[$1] = $2 }
       END { for (t in last) s += last[t] - (t in base ? base[t] : 0); printf "%.0f\n", s + 0 }' "$1" "$2"
}
count() { tree "$1" | wc -l; }
# Context switches of each of the program's own threads (voluntary and forced): "tid count"
# lines. Sampled every second, so that a thread that ends keeps what it did while it lived.
switches() {
  for f in /proc/"$1"/task/*/status; do
    awk '/^Name:/ { n = $2 } /^Pid:/ { t = $2 } /^(voluntary|nonvoluntary)_ctxt_switches:/ { s += $2 }
         END { if (t) print t, s, n }' "$f" 2>/dev/null || true
  done
}
# The switches over the sample from the first snapshot ($1) and the later ones ($2): a thread
# there at the start counts from its first figure, a new one from zero.
switch_total() {
  awk -v each="${SWITCHES_BY_THREAD:-}" 'NR == FNR { base[$1] = $2; next } { last[$1] = $2; name[$1] = $3 }
       END { for (t in last) { d = last[t] - (t in base ? base[t] : 0); s += d
               if (each && d) printf "           thread %s %s: %d\n", t, name[t], d > "/dev/stderr" }
             print s + 0 }' "$1" "$2"
}

# Measures one started process tree; $1 the root id, $2 a label, $3 its log.
measure() {
  local pid=$1 label=$2 log=$3
  sleep "$settle"
  kill -0 "$pid" 2>/dev/null || { echo "$label: ended during the settle time:"; cat "$log"; return 1; }
  local n0 t0 rss_max=0 rss_sum=0 k=0 procs_max=0 r c
  n0=$(reaped "$pid"); t0=$(date +%s%N); switches "$pid" >"$work/switches0"; : >"$work/switches"
  thread_times "$pid" >"$work/times0"; : >"$work/times"
  for _ in $(seq "$sample"); do
    sleep 1
    kill -0 "$pid" 2>/dev/null || { echo "$label: ended during the sample:"; cat "$log"; return 1; }
    switches "$pid" >>"$work/switches"; thread_times "$pid" >>"$work/times"
    r=$(sum_status "$pid" VmRSS); c=$(count "$pid")
    rss_sum=$((rss_sum + r)); k=$((k + 1))
    [ "$r" -gt "$rss_max" ] && rss_max=$r
    [ "$c" -gt "$procs_max" ] && procs_max=$c
  done
  local n1 t1 procs rss_end pss_end
  thread_times "$pid" >>"$work/times"; switches "$pid" >>"$work/switches"
  n1=$(( $(reaped "$pid") + $(times_total "$work/times0" "$work/times") )); t1=$(date +%s%N)
  procs=$(count "$pid"); rss_end=$(sum_status "$pid" VmRSS); pss_end=$(pss "$pid")
  # SMAPS=DIR keeps each world's memory map at the end, to see where the memory lies.
  [ -z "${SMAPS:-}" ] || { mkdir -p "$SMAPS"; cp "/proc/$pid/smaps" "$SMAPS/$label.smaps"; }
  awk -v label="$label" -v n="$((n1 - n0))" -v e="$((t1 - t0))" -v procs="$procs" \
      -v pmax="$procs_max" -v rss="$rss_end" -v rmax="$rss_max" -v rmean="$((rss_sum / k))" \
      -v pss="$pss_end" -v sw="$(switch_total "$work/switches0" "$work/switches")" 'BEGIN {
    printf "%-8s processes %d (max %d) | cpu %.3f %% of one core (%.1f ms in %.0f s) | RSS %.1f MB (mean %.1f, max %.1f) | PSS %.1f MB\n",
           label, procs, pmax, 100 * n / e, n / 1e6, e / 1e9, rss / 1024, rmean / 1024, rmax / 1024, pss / 1024
    printf "         context switches of the program %d in %.0f s\n", sw, e / 1e9 }'
}

stop_tree() {
  local ids; ids=$(tree "$1" | tac)
  for p in $ids; do kill "$p" 2>/dev/null || true; done
  for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  for p in $ids; do kill -9 "$p" 2>/dev/null || true; done
  wait "$1" 2>/dev/null || true
}

echo "measure: $exe -Min on Xvfb; ${settle} s settle, ${sample} s sample; page $page"
# The chime speaks at every full and half hour (on in a new world) and starts the sound
# stack then: a run across one measures the chime, not the world. Wait past it.
clear_of_chime() {
  local now next
  now=$(date +%s); next=$(( (now / 1800 + 1) * 1800 ))
  if [ $((next - now)) -lt $((settle + sample + 15)) ]; then
    echo "         (waiting $((next - now + 2)) s past the half-hour chime)"
    sleep $((next - now + 2))
  fi
}

for w in "${worlds[@]}"; do
  clear_of_chime
  fresh_home
  case "$w" in
    off) mkdir -p "$lists"; printf '[Weather]\r\nWeatherMode=0\r\n' >"$lists/Weather" ;;
    full) full_world ;;
    web) mkdir -p "$lists"; printf '[Weather]\r\nWeatherEngine=web\r\n' >"$lists/Weather" ;;
    timed) timed_world ;;
    blocked) blocked_world ;;
  esac
  before=$(grep -c 'GET /m/360/weather.htm' "$work/site.log" || true)
  "$exe" -Min >"$work/program.log" 2>&1 &
  pid=$!
  pids+=($pid)
  measure "$pid" "$w" "$work/program.log" || exit 1
  after=$(grep -c 'GET /m/360/weather.htm' "$work/site.log" || true)
  echo "         weather page fetched $((after - before)) times"
  # KEEP_WORLD=DIR keeps a copy of each private world at the end, to see what it held.
  [ -z "${KEEP_WORLD:-}" ] || cp -r "$work/home" "$KEEP_WORLD-$w"
  stop_tree "$pid"
done

if [ -n "$beside" ]; then
  clear_of_chime
  fresh_home
  bash -c "exec $beside" >"$work/beside.log" 2>&1 &
  pid=$!
  pids+=($pid)
  measure "$pid" "beside: $beside" "$work/beside.log" || exit 1
  stop_tree "$pid"
fi
