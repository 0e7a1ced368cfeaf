#!/usr/bin/env bash
# Runs the test program whose document holds a glass-ball slide and a lake slide in its test
# window (/t) under Wine, and looks at it from outside: the ball on its night-blue backdrop,
# resting on its brown stand, the scene inside it swinging; then the evening lake, its sky
# still while the mirrored band below the horizon ripples. The screenshots stay in the work
# folder (glass-ball-1.png to glass-ball-3.png, lake-1.png to lake-4.png).
#   e2e_glass_lake.sh <TevranaGlassLake.scr> <work dir> <saver_probe.exe>
# Needs DISPLAY and WINEPREFIX (scripts/test.sh sets both).
set -uo pipefail
scr=$1; work=$2; probe=$3
rm -rf "$work"; mkdir -p "$work"
source "$(dirname "$0")/../support/test_window.sh"
start_test_window "$scr"

# Mean red, green, blue (0..255) of a region: mean <file> <geometry>.
mean() {
  convert "$1" -crop "$2" +repage -format '%[fx:int(255*mean.r)] %[fx:int(255*mean.g)] %[fx:int(255*mean.b)]' info:
}
# Per mille of a region's pixels that differ by more than 3 % between two shots.
change() {
  convert "$work/$1.png" "$work/$2.png" -crop "$3" +repage -compose difference -composite -colorspace Gray \
    -threshold 3% -format '%[fx:int(1000*mean)]' info:
}

# The glass ball: corners of the backdrop night-blue, the ball bright in the middle, the
# stand's cup brown below it. Waits up to 40 s (a loaded machine starts Wine slowly).
found=0
for _ in $(seq 130); do
  sleep 0.3
  window_shot glass-ball-1 || continue
  read -r r g b < <(mean "$work/glass-ball-1.png" 30x30+5+5)
  read -r cr cg cb < <(mean "$work/glass-ball-1.png" 120x80+240+80)
  if [ "$b" -gt $((r + 15)) ] && [ $(( (cr + cg + cb) / 3 )) -ge 40 ]; then found=1; break; fi
done
[ $found = 1 ] || fail "the glass-ball slide never showed (corner $r $g $b, ball $cr $cg $cb)"
echo "backdrop corner $r $g $b, inside the ball $cr $cg $cb"
read -r sr sg sb < <(mean "$work/glass-ball-1.png" 80x10+260+306)
echo "stand $sr $sg $sb"
[ "$sr" -gt "$((sb + 10))" ] || fail "no brown stand below the ball"
# The swing turns back every 8 s; of two 2-s steps at most one holds the turn.
sleep 2
window_shot glass-ball-2 || fail "no second shot"
sleep 2
window_shot glass-ball-3 || fail "no third shot"
inside=$(change glass-ball-1 glass-ball-2 160x120+220+60)
later=$(change glass-ball-2 glass-ball-3 160x120+220+60)
[ "$later" -gt "$inside" ] && inside=$later
corner=$(change glass-ball-1 glass-ball-3 30x30+5+5)
echo "change inside the ball $inside, at the corner $corner"
[ "$inside" -ge 30 ] || fail "the scene inside the ball does not swing"
[ "$corner" -le 2 ] || fail "the backdrop moves"

# The lake: a warm evening sky above, a lower band that changes while the sky stays. The
# ball shows for 20 s; then the slide fades through black.
found=0
for _ in $(seq 150); do
  sleep 0.3
  window_shot lake-1 || continue
  read -r r g b < <(mean "$work/lake-1.png" 400x120+100+60)
  if [ "$r" -gt $((b + 10)) ] && [ $(( (r + g + b) / 3 )) -ge 60 ]; then found=1; break; fi
done
[ $found = 1 ] || fail "the lake slide never showed (sky $r $g $b)"
echo "sky $r $g $b"
# The sky may have passed the test while the slide was still fading in: the first shot to
# compare with is taken once the fade is surely over.
sleep 1.5
window_shot lake-1 || fail "no first shot of the lake"
# A loaded machine may draw few frames between two shots: the most any later shot differs.
water=0
for n in 2 3 4; do
  sleep 2
  window_shot lake-$n || fail "no shot $n of the lake"
  moved=$(change lake-1 lake-$n 400x90+100+290)
  [ "$moved" -gt "$water" ] && water=$moved
done
sky=$(change lake-1 lake-4 400x120+100+60)
echo "change of the sky $sky, of the water $water"
[ "$water" -ge 10 ] || fail "the water does not ripple"
[ "$sky" -le 2 ] || fail "the sky moves"
# The mirrored band: the water is darker than the sky but not black.
read -r wr wg wb < <(mean "$work/lake-1.png" 400x90+100+290)
echo "water $wr $wg $wb"
[ $(( (wr + wg + wb) / 3 )) -ge 25 ] || fail "no reflection in the water"
stop_test_window
echo "PASS: glass ball and lake"
