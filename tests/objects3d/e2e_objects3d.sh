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
key='HKEY_CURRENT_USER\Software\Quillfen\Lumetra\Screensaver'
pid=

fail() { echo "FAIL: $*"; exit 1; }
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null; wait 2>/dev/null; }
trap cleanup EXIT

# "PicPos" 0 stretches the picture over the whole window.
printf 'REGEDIT4\r\n\r\n[%s]\r\n"\\"PicPos\\""=dword:00000000\r\n' "$key" > "$work/setting.reg"
wine regedit /S "$(winepath -w "$work/setting.reg")" </dev/null >/dev/null 2>&1

wine "$scr" /t </dev/null >"$work/program.log" 2>&1 &
pid=$!
window=
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --name '^Tevrana Screensaver$' 2>/dev/null | head -n1)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || fail "no test window appeared"

# A screenshot of the window as $work/<name>.png; crop() later cuts the 600 x 400 client area
# out of it (Wine draws the caption and an even frame into the X window itself, so the
# client sits above the bottom frame).
grab() { import -display "$DISPLAY" -window "$window" "$work/$1.png" 2>/dev/null; }
crop() {
  local w h
  read -r w h < <(convert "$work/$1.png" -format '%w %h' info:)
  local frame=$(( (w - 600) / 2 ))
  convert "$work/$1.png" -crop "600x400+$frame+$(( h - 400 - frame ))" +repage -depth 8 "rgb:$work/$1.rgb"
}

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
