#!/usr/bin/env bash
# Starts the built program hidden (-Min) on a private X server with a window manager and tray,
# in a private home (HOME, XDG folders, settings, program folder, registry, session bus), lets
# it settle, then samples /proc for a while and prints its CPU use and resident memory.
#
# Usage: scripts/measure.sh [--full] [PROGRAM]   (the weather strip is off in both worlds)
#   --full   a used world: every landed rule and both alarms armed (none due for hours),
#            1,000 memorandum notes and 1,000 radio timings.
#   SETTLE=15 SAMPLE=60 (seconds) override the two phases.
# No power action can reach this machine: the system bus points at nothing, and the network
# rule probes 127.0.0.1.
set -euo pipefail
cd "$(dirname "$0")/.."
full=0
[ "${1:-}" = "--full" ] && { full=1; shift; }
exe=$(realpath "${1:-build/default/src/Quorlin}")
settle=${SETTLE:-15}
sample=${SAMPLE:-60}
[ -x "$exe" ] || { echo "not built: $exe (cmake --build --preset default --target Quorlin)" >&2; exit 2; }
command -v Xvfb >/dev/null || { echo "Xvfb missing (scripts/install-deps.sh)" >&2; exit 2; }

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

export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_CACHE_HOME=$work/home/.cache XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export QUORLIN_SETTINGS=$XDG_CONFIG_HOME/Quorlin QUORLIN_REGISTRY_DIR=$work/registry
export QUORLIN_PROGRAM_DIR=$work/program/ QUORLIN_PROBE_HOST=127.0.0.1
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$work/no-system-bus
export QT_QPA_PLATFORM=xcb LANG=zh_CN.UTF-8
unset SESSION_MANAGER DESKTOP_SESSION
# The program folder as shipped: beside the executable.
cp -r data/dist "$work/program"
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

# The weather strip off (it is on in a new world, and would load its page from the network).
lists=$XDG_DATA_HOME/Quorlin
mkdir -p "$lists"
printf '[Weather]\r\nWeatherMode=0\r\n' >"$lists/Weather"

if [ $full -eq 1 ]; then
  today=$(date +%Y/%m/%d)
  cat >"$QUORLIN_SETTINGS" <<INI
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
[AlarmClocks]
AlarmClockWeekUp=0
AlarmClockWeekDown=6
AlarmClockFirstTime=$(date -d '+7 hours' +%-H:%M:%S)
AlarmClockSecondTime=$(date -d '+8 hours' +%-H:%M:%S)
AlarmClockFirstState=1
AlarmClockSecondState=1
INI
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
  sed -i 's/$/\r/' "$QUORLIN_SETTINGS" "$lists/Memorandum.txt" "$lists/RadioTiming"
fi

"$exe" -Min >"$work/program.log" 2>&1 &
pid=$!
pids+=($pid)
sleep "$settle"
# KEEP_WORLD=DIR keeps a copy of the private world after the settle, to see what it held.
[ -z "${KEEP_WORLD:-}" ] || cp -r "$work" "$KEEP_WORLD"
kill -0 $pid 2>/dev/null || { echo "the program ended during the settle time:"; cat "$work/program.log"; exit 1; }

ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
# Nanoseconds on a CPU over the live threads: finer than the 10 ms of the tick counters.
runtime() { cat /proc/$pid/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { print s + 0 }'; }
rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status"; }

t0=$(ticks); n0=$(runtime); start=$(date +%s%N)
rss_min=$(rss); rss_max=$rss_min; rss_sum=0; samples=0
for _ in $(seq "$sample"); do
  sleep 1
  kill -0 $pid 2>/dev/null || { echo "the program ended during the sample:"; cat "$work/program.log"; exit 1; }
  r=$(rss)
  rss_sum=$((rss_sum + r)); samples=$((samples + 1))
  [ "$r" -lt "$rss_min" ] && rss_min=$r
  [ "$r" -gt "$rss_max" ] && rss_max=$r
done
t1=$(ticks); n1=$(runtime); end=$(date +%s%N)
hz=$(getconf CLK_TCK)
elapsed_ns=$((end - start))
anon=$(awk '/^RssAnon:/ { print $2 }' "/proc/$pid/status")
file=$(awk '/^RssFile:/ { print $2 }' "/proc/$pid/status")
threads=$(awk '/^Threads:/ { print $2 }' "/proc/$pid/status")

world=$([ $full -eq 1 ] && echo "every landed rule armed, 1,000 notes, 1,000 timings" || echo "nothing armed")
echo "measure: $exe -Min, $world; ${settle} s settle, ${sample} s sample"
awk -v n="$((n1 - n0))" -v t="$((t1 - t0))" -v hz="$hz" -v e="$elapsed_ns" 'BEGIN {
  printf "cpu: %.3f %% of one core (%.1f ms on CPU in %.1f s; %d ticks of 1/%d s)\n",
         100 * n / e, n / 1e6, e / 1e9, t, hz }'
awk -v last="$(rss)" -v lo="$rss_min" -v hi="$rss_max" -v sum="$rss_sum" -v k="$samples" \
    -v anon="$anon" -v file="$file" -v th="$threads" 'BEGIN {
  printf "resident: %.1f MB at the end (min %.1f, mean %.1f, max %.1f; anonymous %.1f, files %.1f; %d threads)\n",
         last / 1024, lo / 1024, sum / k / 1024, hi / 1024, anon / 1024, file / 1024, th }'
# SMAPS=FILE keeps the program's memory map at the end, to see where the resident memory lies.
[ -z "${SMAPS:-}" ] || cp "/proc/$pid/smaps" "$SMAPS"
