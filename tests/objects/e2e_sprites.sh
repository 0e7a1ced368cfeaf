#!/usr/bin/env bash
# Runs the program around a scene with every sprite emitter in a cell of its own (a 4 x 4
# grid, stretched over the 600 x 400 test window: cells of 150 x 100) and around the same
# slide without emitters, and compares their screenshots: each emitter's cell differs from
# the plain slide and changes over time; the empty cells stay as the plain slide shows them.
#   e2e_sprites.sh <TevranaSprites.scr> <TevranaSpritesPlain.scr> <work dir> <saver_probe.exe>
# Needs DISPLAY and WINEPREFIX (scripts/test.sh sets both).
set -uo pipefail
scr=$1; plain=$2; work=$3; probe=$4
rm -rf "$work"; mkdir -p "$work"
source "$(dirname "$0")/../support/test_window.sh"

# "PicPos" 0 stretches the picture over the whole window.
set_setting PicPos 0

brightness() {
  convert "$1" -crop "$2" +repage -colorspace Gray -format '%[fx:int(255*mean)]' info:
}
# Waits until the picture shows (a slow start draws black frames first).
shot_of_picture() {
  for _ in $(seq 50); do
    sleep 0.3
    window_shot "$1" || continue
    [ "$(brightness "$work/$1.png" 600x400+0+0)" -ge 30 ] && return 0
  done
  fail "the picture never showed"
}
# Mean absolute difference (0..255) of two pictures inside a region.
differs() {
  convert "$1" "$2" -crop "$3" +repage -compose difference -composite -colorspace Gray \
    -format '%[fx:int(255*mean*10)/10]' info: 2>/dev/null | tail -n1
}
cell() { echo "150x100+$(( $1 * 150 ))+$(( $2 * 100 ))"; }
# The middle of an empty cell: wandering sprites may swim a body's length out of their own.
middle() { echo "70x40+$(( $1 * 150 + 40 ))+$(( $2 * 100 + 30 ))"; }

start_test_window "$plain"
shot_of_picture plain
stop_test_window

start_test_window "$scr"
shot_of_picture t0
shots=(t0)
for i in 1 2 3 4 5 6 7 8 9; do
  sleep 0.4
  window_shot "t$i" || fail "no screenshot"
  shots+=("t$i")
done
stop_test_window

# name column row
emitters="rays 0 0
bolts 0 1
rain 0 2
grass 0 3
fish 1 0
birds 3 0
fog 1 1
flow 2 1
ghosts 3 1
sparkles 1 2
spark 3 2
flower 1 3
placed 2 3"
status=0
while read -r name c r; do
  drawn=0; moved=0
  for s in "${shots[@]}"; do
    d=$(differs "$work/$s.png" "$work/plain.png" "$(cell "$c" "$r")")
    awk -v d="$d" 'BEGIN{exit !(d >= 0.4)}' && drawn=$((drawn + 1))
  done
  for i in 1 2 3 4 5 6 7 8 9; do
    d=$(differs "$work/t$i.png" "$work/t$((i - 1)).png" "$(cell "$c" "$r")")
    awk -v d="$d" 'BEGIN{exit !(d >= 0.3)}' && moved=$((moved + 1))
  done
  echo "$name: drawn in $drawn of ${#shots[@]} shots, changed in $moved of 9 steps"
  [ "$drawn" -ge 1 ] || { echo "FAIL: $name draws nothing in its cell"; status=1; }
  # The placed sprite stands still; every other emitter moves, flickers or sways.
  [ "$name" = placed ] || [ "$moved" -ge 1 ] || { echo "FAIL: $name does not move"; status=1; }
done <<< "$emitters"

for empty in "2 0" "2 2" "3 3"; do
  for s in "${shots[@]}"; do
    d=$(differs "$work/$s.png" "$work/plain.png" "$(middle $empty)")
    awk -v d="$d" 'BEGIN{exit !(d < 1.0)}' || { echo "FAIL: drawn in the empty cell $empty ($d in $s)"; status=1; }
  done
done
[ $status = 0 ] && echo "every emitter alive in its cell, the empty cells untouched"
exit $status
