#!/usr/bin/env bash
# Paints the pictures of the 3D objects with ImageMagick, the same bytes on every run. Each
# is drawn at several times its size and scaled down, so that its edges are soft in alpha.
#   objects3d_pictures.sh <convert> <output dir>
# Writes, for the resource module:
#   butterfly_body_6.png  the body: a dark head, a furry brown thorax, an abdomen ringed in
#                         amber (v runs from the head to the tail, u round the body)
#   clock_dial_71.png     the clock's face: a cream dial in a dark bezel, baton hour marks
#                         (broader at 12, 3, 6 and 9), minute ticks and a hub
#   clock_hand_72.png     one hand along v, its tip at v = 0, a counterweight past the pivot
# and, for scenes that carry them:
#   butterfly_wing.png    a right fore- and hindwing in morpho blue with a black border and
#                         white spots, the hinge at u = 0 and the front at v = 0
#   leaf.png              an autumn leaf, orange turning red, with its midrib, veins and stem
set -euo pipefail
C=$1; out=$2
mkdir -p "$out"
png=(-strip -define png:exclude-chunks=date,time -depth 8)

# Polar points as "x,y" around (cx, cy), at angle a (degrees clockwise from 12) and radius r.
polar() { awk -v cx="$1" -v cy="$2" -v a="$3" -v r="$4" 'BEGIN { t = a * 3.14159265 / 180;
  printf "%.1f,%.1f", cx + r * sin(t), cy - r * cos(t) }'; }

# ---- Clock face -----------------------------------------------------------------------------------
S=2048; c=1024
marks=()
for m in $(seq 0 59); do
  a=$((m * 6))
  if [ $((m % 5)) -eq 0 ]; then
    w=22; inner=700
    if [ $((m % 15)) -eq 0 ]; then w=40; inner=660; fi
    marks+=(-stroke '#23262e' -strokewidth $w -draw "line $(polar $c $c $a $inner) $(polar $c $c $a 860)")
  else
    marks+=(-stroke '#3a3d46' -strokewidth 7 -draw "line $(polar $c $c $a 830) $(polar $c $c $a 870)")
  fi
done
"$C" -size ${S}x${S} radial-gradient:'#fffcf4'-'#ddd2b6' \
  \( -size ${S}x${S} xc:black -fill white -draw "circle $c,$c $c,$((c - 990))" \) \
  -alpha off -compose copy_opacity -composite -compose over \
  -fill none -stroke '#2a2d34' -strokewidth 52 -draw "circle $c,$c $c,$((c - 962))" \
  -stroke '#8c8473' -strokewidth 6 -draw "circle $c,$c $c,$((c - 928))" \
  "${marks[@]}" \
  -stroke none -fill '#23262e' -draw "circle $c,$c $c,$((c - 44))" \
  -fill '#b9a878' -draw "circle $c,$c $c,$((c - 14))" \
  -resize 1024x1024 "${png[@]}" "PNG32:$out/clock_dial_71.png"

# ---- Clock hand ------------------------------------------------------------------------------------
# 128 x 2048 painted, 32 x 512 kept. The hand spans most of the picture's width, so that
# the narrow quad it is drawn on shows it bold, with a soft edge on both sides.
"$C" -size 128x2048 xc:none -fill '#1b1d24' \
  -draw 'polygon 64,10 108,300 108,1700 20,1700 20,300' \
  -draw 'roundrectangle 14,1660 114,2030 40,40' \
  -fill '#4b4e58' -draw 'polygon 64,70 72,300 72,1640 56,1640 56,300' \
  -blur 0x3 -resize 32x512\! "${png[@]}" "PNG32:$out/clock_hand_72.png"

# ---- Butterfly body --------------------------------------------------------------------------------
# 64 x 256, rings across v; the fuzz is tileable round the body.
"$C" -size 64x256 xc:'#2b2119' \
  -fill '#1a1612' -draw 'rectangle 0,0 63,20' \
  -fill '#5a4330' -draw 'rectangle 0,21 63,84' \
  -fill '#b08a3a' -draw 'rectangle 0,100 63,112' -draw 'rectangle 0,130 63,142' \
  -draw 'rectangle 0,160 63,172' -draw 'rectangle 0,190 63,200' -draw 'rectangle 0,218 63,226' \
  -blur 0x1.5 \
  \( -size 64x256 xc:gray50 -seed 11 +noise Gaussian -virtual-pixel tile -blur 0x1 \) \
  -compose overlay -composite "${png[@]}" "PNG32:$out/butterfly_body_6.png"

# ---- Butterfly wing --------------------------------------------------------------------------------
# 1024 x 1280 painted, 256 x 320 kept; the hinge along the left edge. Each outline is
# rounded (blurred and cut at half) before its edge is softened.
fore='0,330 150,160 480,56 800,30 980,90 960,240 800,440 600,560 240,560 0,520'
hind='0,480 240,560 600,600 800,740 820,920 720,1080 600,1200 480,1160 360,1060 160,840 0,600'
fore_in='40,360 170,210 470,120 760,100 860,170 820,300 700,420 560,500 260,500 40,470'
hind_in='40,520 260,600 560,640 720,760 730,900 640,1030 560,1100 470,1060 380,980 200,800 40,620'
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
rounded() {
  "$C" -size 1024x1280 xc:black -fill white -draw "polygon $1" -draw "polygon $2" \
    -blur 0x28 -threshold 50% -blur 0x"$3" "$work/$4.png"
}
rounded "$fore" "$hind" 4 outer
rounded "$fore_in" "$hind_in" 12 inner
"$C" \( -size 1024x1280 xc:'#12151f' "$work/outer.png" -alpha off -compose copy_opacity -composite \) \
  \( -size 1024x1280 radial-gradient:'#6fd0ff'-'#0a3a9e' -distort SRT '0,640 1.3 0 0,560' \
     "$work/inner.png" -alpha off -compose copy_opacity -composite \) \
  -compose over -composite \
  -fill '#f4f4f0' -stroke none \
  -draw 'circle 880,150 880,130' -draw 'circle 820,110 820,94' -draw 'circle 900,220 900,206' \
  -draw 'circle 760,70 760,58' -draw 'circle 700,1020 700,1004' -draw 'circle 620,1110 620,1098' \
  -fill '#2a2118' -draw 'polygon 0,300 40,330 40,560 0,590' \
  -resize 256x320 "${png[@]}" "PNG32:$out/butterfly_wing.png"

# ---- Leaf ------------------------------------------------------------------------------------------
# 384 x 640 painted, 96 x 160 kept: tip at the top, stem at the bottom, serrated edges.
outline=$(awk 'BEGIN {
  n = 120; s = "";
  for (i = 0; i <= n; i++) {            # right edge, tip to stem
    t = i / n; w = 170 * (sin(3.14159265 * t) ^ 0.75) * (1 - 0.2 * t) * (1 + 0.06 * sin(46 * 3.14159265 * t));
    s = s sprintf("%.1f,%.1f ", 192 + w, 20 + 540 * t) }
  for (i = n; i >= 0; i--) {            # left edge, stem to tip
    t = i / n; w = 170 * (sin(3.14159265 * t) ^ 0.75) * (1 - 0.2 * t) * (1 + 0.06 * sin(46 * 3.14159265 * t + 1));
    s = s sprintf("%.1f,%.1f ", 192 - w, 20 + 540 * t) }
  print s }')
veins=()
for k in 1 2 3 4 5 6; do
  y=$((80 + k * 70)); dy=$((y - 60))
  veins+=(-draw "line 192,$y 320,$dy" -draw "line 192,$y 64,$dy")
done
"$C" -size 384x640 gradient:'#f0a020'-'#b8281a' \
  -stroke '#7a3a10' -strokewidth 6 -draw 'line 192,24 192,636' \
  -stroke '#8e4a18' -strokewidth 3 "${veins[@]}" \
  \( -size 384x640 xc:black -fill white -draw "polygon $outline" -draw 'rectangle 186,540 198,636' -blur 0x2 \) \
  -alpha off -compose copy_opacity -composite \
  -resize 96x160 "${png[@]}" "PNG32:$out/leaf.png"
