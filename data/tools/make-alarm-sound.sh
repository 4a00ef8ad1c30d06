#!/usr/bin/env bash
# Builds the default alarm sound: four soft bell strokes (a falling arpeggio and a closing
# fifth), each a sine with a quiet octave and an inharmonic partial, decaying like a struck
# bell. Mono MP3, about 3.6 s and under 40 KB.
# Usage: data/tools/make-alarm-sound.sh [output.mp3]
set -euo pipefail
out=${1:-"$(dirname "$0")/../dist/AlarmClockSound/AlarmClock.mp3"}

# One stroke at time $1 (s), frequency $2 (Hz), loudness $3, decay rate $4 (1/s).
stroke() {
    local t0=$1 f=$2 a=$3 k=$4
    local u="(t-$t0)"
    # 5 ms attack keeps the onset from clicking.
    echo "gte(t,$t0)*$a*min(1,$u/0.005)*(exp(-$k*$u)*sin(2*PI*$f*$u)+0.25*exp(-2*$k*$u)*sin(4*PI*$f*$u)+0.08*exp(-3*$k*$u)*sin(2*PI*2.76*$f*$u))"
}

expr="$(stroke 0.00 783.99 0.30 2.6)+$(stroke 0.45 659.25 0.30 2.6)+$(stroke 0.90 523.25 0.30 2.4)"
expr="$expr+$(stroke 1.50 523.25 0.22 1.5)+$(stroke 1.50 783.99 0.16 1.6)"

ffmpeg -hide_banner -loglevel error -y \
    -f lavfi -i "aevalsrc='$expr':s=44100:d=3.6" \
    -af "afade=t=out:st=3.1:d=0.5" \
    -ac 1 -c:a libmp3lame -b:a 64k -map_metadata -1 -id3v2_version 0 -write_xing 1 "$out"
