#!/usr/bin/env bash
# Builds the spoken pieces of the half-hour chime with espeak-ng's Mandarin voice: the
# lead-in, the four parts of the day, the hours 0 to 12, thirty, and the words for o'clock
# and minutes. Each is trimmed of silence at both ends, peak-normalised to -3 dBFS so the
# pieces sound equally loud in a chain, and written as 16-bit mono WAV at 22,050 Hz.
# Needs espeak-ng and sox.
# Usage: data/tools/make-time-sounds.sh [output-folder]
set -euo pipefail
out=${1:-"$(dirname "$0")/../dist/TimeSound"}
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# File base name and the words it says. The hour 2 is read 两, as one says 两点.
pieces=(
    "TIMENOW:现在时间"
    "AM0:凌晨" "AM1:上午" "PM:下午" "EM:晚上"
    "POINT:点" "MIN:分"
    "0:零" "1:一" "2:两" "3:三" "4:四" "5:五" "6:六" "7:七" "8:八" "9:九"
    "10:十" "11:十一" "12:十二" "30:三十"
)

for piece in "${pieces[@]}"; do
    name=${piece%%:*}
    words=${piece#*:}
    espeak-ng -v cmn -s 150 -p 45 -w "$tmp/raw.wav" "$words"
    # Silence trimmed from the front, then (reversed) from the back; 20 ms of quiet kept at
    # the end so the next piece does not start on a click.
    sox "$tmp/raw.wav" -b 16 -c 1 "$out/$name.wav" \
        silence 1 0.01 0.5% reverse silence 1 0.01 0.5% reverse \
        rate 22050 gain -n -3 pad 0 0.02
done
