#!/usr/bin/env bash
# The program around the animated-brush scene, in its test window (/t) on an X server of its
# own: on the first slide the water, move and pattern brushes each move inside their masks
# and nothing moves outside them; on the second the underwater light moves the whole picture
# while its mean colour stays. The shots compared stay in the shots folder (also copied to
# TEVRANA_SHOT_DIR when it names one).
#   e2e_animated_brushes.sh <TevranaAnimatedBrushes.scr> <saver_probe.exe> <shots folder>
source "$(dirname "$0")/../shell/e2e_common.sh" "$@"
SHOTS=$3
rm -rf "$SHOTS"; mkdir -p "$SHOTS"
private_display 1024x768x24

# Stretched: the picture fills the 600 x 400 client area, so the masks' fractions of the
# picture are fractions of the window.
key='HKEY_CURRENT_USER\Software\Quillfen\Lumetra\Screensaver'
printf 'REGEDIT4\r\n\r\n[%s]\r\n"\\"PicPos\\""=dword:00000000\r\n' "$key" > "$WORK/picpos.reg"
wine regedit /S "$(winepath -w "$WORK/picpos.reg")" </dev/null >/dev/null 2>&1

start_saver /t
client=
find_client() {
  local rect
  rect=$(probe windows | grep 'title="Tevrana Screensaver" .*client=600x400 visible=1' | sed -n 's/.* rect=\([-0-9,]*\) .*/\1/p')
  [ -n "$rect" ] || return 1
  IFS=, read -r l t r b <<<"$rect"
  # The client area sits centred above the bottom of the frame.
  local frame=$(( (r - l - 600) / 2 ))
  client="600x400+$(( l + frame ))+$(( b - frame - 400 ))"
}
wait_until 30 find_client || fail "no test window: $(probe windows)"

# shot NAME: the client area as $WORK/NAME.png.
shot() { import -window root -crop "$client" +repage "$WORK/$1.png" 2>/dev/null; }
# keep NAME AS: a shot kept as AS.png.
keep() {
  cp "$WORK/$1.png" "$SHOTS/$2.png"
  if [ -n "${TEVRANA_SHOT_DIR:-}" ]; then cp "$WORK/$1.png" "$TEVRANA_SHOT_DIR/e2e-$2.png"; fi
}
# Region of the window from fractions: box X0 Y0 X1 Y1 -> WxH+X+Y.
box() { awk -v a="$1" -v b="$2" -v c="$3" -v d="$4" 'BEGIN{printf "%dx%d+%d+%d", (c-a)*600, (d-b)*400, a*600, b*400}'; }
# Per cent of a region's pixels that differ by more than 4% between two shots.
changed() {
  convert "$WORK/$1.png" -crop "$3" +repage "$WORK/a.png"
  convert "$WORK/$2.png" -crop "$3" +repage "$WORK/b.png"
  local n
  n=$(compare -metric AE -fuzz 4% "$WORK/a.png" "$WORK/b.png" null: 2>&1 | sed 's/[^0-9].*//')
  local size=${3%%+*}
  echo $(( 100 * n / (${size%x*} * ${size#*x}) ))
}
mean() { convert "$WORK/$1.png" -crop "$2" +repage -format '%[fx:int(255*mean.r)] %[fx:int(255*mean.g)] %[fx:int(255*mean.b)]\n' info:; }

# Inside each mask, away from its soft edge; outside every mask (the sky between the rings
# and the sun, the right of the picture).
water=$(box 0.08 0.67 0.40 0.92)
move=$(box 0.54 0.62 0.70 0.76)
pattern=$(box 0.07 0.08 0.33 0.36)
outside1=$(box 0.42 0.04 0.80 0.45)
outside2=$(box 0.80 0.04 0.98 0.96)
whole=$(box 0.01 0.01 0.99 0.99)

is_lake() { read -r r g b < <(mean "$1" "$whole") && [ "$r" -gt "$b" ] && [ $(( (r + g + b) / 3 )) -ge 60 ]; }
is_sea() { read -r r g b < <(mean "$1" "$whole") && [ "$b" -gt "$r" ] && [ $(( (r + g + b) / 3 )) -ge 40 ]; }

# Slide 1 (warm; no fades): shots until each brush has changed its region against the first
# shot of the slide, while the regions outside every mask never change. A shot of the
# other slide starts over (the machine may be slow enough to miss a whole slide).
declare -A moved
first=
end=$((SECONDS + 120))
i=0
while :; do
  [ $SECONDS -lt $end ] || fail "the brushes did not all move (water ${moved[water]:-0}% move ${moved[move]:-0}% pattern ${moved[pattern]:-0}%)"
  i=$((i + 1))
  shot "lake$i" || continue
  if ! is_lake "lake$i"; then first=; continue; fi
  if [ -z "$first" ]; then first=lake$i; moved=(); continue; fi
  for region in outside1 outside2; do
    c=$(changed "$first" "lake$i" "${!region}")
    [ "$c" -eq 0 ] || fail "$region changed by $c% ($first to lake$i)"
  done
  done_all=1
  for region in water move pattern; do
    c=$(changed "$first" "lake$i" "${!region}")
    [ "$c" -gt "${moved[$region]:-0}" ] && moved[$region]=$c
    [ "${moved[$region]:-0}" -ge 5 ] || done_all=0
  done
  [ $done_all = 1 ] && break
done
keep "$first" lake-first
keep "lake$i" lake-moved
echo "slide 1 in $i shots: water ${moved[water]}% move ${moved[move]}% pattern ${moved[pattern]}% changed"

# Slide 2 (cold) under water: two shots a second apart of the same slide.
end=$((SECONDS + 90))
while :; do
  [ $SECONDS -lt $end ] || fail "no two shots of slide 2"
  shot sea1 && is_sea sea1 || continue
  sleep 1
  shot sea2 && is_sea sea2 && break
done
keep sea1 sea-1
keep sea2 sea-2
c=$(changed sea1 sea2 "$whole")
echo "under water: $c% changed"
[ "$c" -ge 15 ] || fail "the underwater light does not move the picture"
read -r r1 g1 b1 < <(mean sea1 "$whole")
read -r r2 g2 b2 < <(mean sea2 "$whole")
for d in $(( r1 - r2 )) $(( g1 - g2 )) $(( b1 - b2 )); do
  [ "${d#-}" -le 4 ] || fail "the mean colour moved: $r1 $g1 $b1 -> $r2 $g2 $b2"
done
probe close
echo "passed"
