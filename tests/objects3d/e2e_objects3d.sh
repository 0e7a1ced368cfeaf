#!/usr/bin/env bash
# Runs the program around a slide with butterflies, a clock and falling leaves (see
# objects3d-scene.txt) in its test window (/t) and looks at it from outside for ten seconds.
# The 1600 x 1200 picture is stretched over the 600 x 400 client area: picture x times
# 0.375, y times 1/3. Colours tell the objects apart on the grey picture:
# - the butterflies (blue wings) stay within their rectangle (640..960 x 480..720) and a
#   margin of 250 pixels plus their half span (40) around it: 350..1250 x 190..1010, that is
#   131..469 x 63..337 on the screen; they show and move;
# - the clock's face (cream) fills the square of its placement, 80..320 both ways, that is
#   30..120 x 27..107, and nothing cream lies beside it;
# - the leaves (orange) move, and they re-enter at the left: after five seconds, when every
#   leaf of the left third has left it, the left third still holds leaves.
# The shots are checked by objects3d_shots.py.
#   e2e_objects3d.sh <TevranaObjects3D.scr> <work dir>
# Needs DISPLAY and WINEPREFIX (scripts/test.sh sets both).
set -uo pipefail
scr=$1; work=$2
rm -rf "$work"; mkdir -p "$work"
source "$(dirname "$0")/../support/test_window.sh"

# "PicPos" 0 stretches the picture over the whole window.
set_setting PicPos 0

start_test_window "$scr"
# Whole windows grabbed as $work/<name>.png while the shots are taken, their client areas cut
# out as raw $work/<name>.rgb afterwards.
grab() { window_grab "$work/$1.png"; }
crop() { client_area "$work/$1.png" "rgb:$work/$1.rgb"; }

# Wait for the slide (the grey picture has mean brightness 80 of 255).
for i in $(seq 50); do
  sleep 0.3
  grab t0 && crop t0 || continue
  [ "$(convert -size 600x400 -depth 8 "rgb:$work/t0.rgb" -colorspace Gray -format '%[fx:int(255 * mean)]' info:)" -ge 50 ] && break
  [ "$i" = 50 ] && fail "the slide never showed"
done
# Shots for ten seconds, each with its time in milliseconds since the first.
start=$(date +%s%N)
echo 0 > "$work/times.txt"
n=1
while [ $(( ($(date +%s%N) - start) / 1000000 )) -lt 10000 ]; do
  sleep 0.3
  grab "t$n" || fail "no screenshot"
  echo $(( ($(date +%s%N) - start) / 1000000 )) >> "$work/times.txt"
  n=$((n + 1))
done
echo "$n shots over $(tail -n1 "$work/times.txt") ms"
for i in $(seq 1 $((n - 1))); do crop "t$i"; done

python3 "$(dirname "$0")/objects3d_shots.py" "$work" || fail "see above"
echo "PASS"
