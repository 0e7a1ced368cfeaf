#!/usr/bin/env bash
# Plays a slow plucked arpeggio over C - Am - F - G with a soft pad and a long reverb into
# an MP3, the same bytes on every run (sox -R seeds its generators).
#   music.sh <output.mp3> [seconds per note] [rounds]
set -euo pipefail
out=$1; note=${2:-0.42}; rounds=${3:-2}
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
i=0; list=()
for _ in $(seq "$rounds"); do
  for chord in "C4 E4 G4 C5" "A3 C4 E4 A4" "F3 A3 C4 F4" "G3 B3 D4 G4"; do
    for n in $chord; do
      sox -R -n -r 44100 -c 1 -b 16 "$tmp/n$i.wav" synth "$note" pluck "$n" vol 0.45 fade 0 "$note" 0.2
      list+=("$tmp/n$i.wav"); i=$((i + 1))
    done
  done
done
sox -R "${list[@]}" "$tmp/melody.wav"
len=$(soxi -D "$tmp/melody.wav")
sox -R -n -r 44100 -c 1 -b 16 "$tmp/pad.wav" synth "$len" sine C3 sine G3 vol 0.06 fade h 0.5 "$len" 0.8
sox -R -m "$tmp/melody.wav" "$tmp/pad.wav" -c 2 "$tmp/mix.wav" reverb 60 50 80 gain -n -3
lame --quiet -b 128 --noreplaygain -t "$tmp/mix.wav" "$out"
