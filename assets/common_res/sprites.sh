#!/usr/bin/env bash
# Paints the sprite pictures of the resource module with ImageMagick, the same bytes on
# every run. Each is drawn at four times its size and scaled down, so that its edges are
# soft in alpha; outlines or glows keep them readable on light and dark pictures alike.
#   sprites.sh <convert> <output dir>
# Writes sprite_<id>.png for ids 300 to 310 and bird_frame_<n>.png, the frames of the
# flapping bird's picture package.
set -euo pipefail
C=$1; out=$2
mkdir -p "$out"
png=(-strip -define png:exclude-chunks=date,time -depth 8)
# Draws on a transparent canvas of 4x the size given as WxH, then scales to WxH.
paint() {
  local name=$1 size=$2; shift 2
  local w=${size%x*} h=${size#*x}
  "$C" -size $((w * 4))x$((h * 4)) xc:none "$@" -resize "${w}x${h}!" "${png[@]}" "PNG32:$out/$name.png"
}

# 300 fish facing right: a golden body with a darker back, a forked tail on the left, an eye
# on the right, a dark outline.
paint sprite_300 128x64 \
  -stroke '#3b1d08' -strokewidth 8 -fill '#f0a030' -draw 'polygon 20,40 110,128 20,216 60,128' \
  -fill '#f6b545' -draw 'ellipse 290,128 200,92 0,360' \
  -stroke none -fill '#c0661a' -draw 'ellipse 290,96 170,44 180,360' \
  -fill '#ffe6a8' -draw 'ellipse 300,164 150,30 0,180' \
  -stroke '#3b1d08' -strokewidth 6 -fill none -draw 'ellipse 290,128 200,92 0,360' \
  -draw 'arc 360,60 420,196 100,260' \
  -stroke none -fill white -draw 'circle 430,108 430,88' -fill '#101010' -draw 'circle 434,108 434,96'

# 301 bird facing right: a dark body with a lighter belly, beak on the right, one wing
# raised; the package frames raise it, level it and lower it.
bird() {
  local name=$1 tip=$2
  paint "$name" 128x64 \
    -stroke '#101820' -strokewidth 6 -fill '#2c3e50' \
    -draw 'ellipse 256,140 120,34 0,360' \
    -draw 'polygon 140,140 60,110 80,140 60,170' \
    -stroke none -fill '#9fb3c2' -draw 'ellipse 270,152 90,16 0,180' \
    -fill '#2c3e50' -stroke '#101820' -draw 'circle 380,124 380,96' \
    -stroke none -fill '#f0b040' -draw 'polygon 404,116 452,128 404,138' \
    -fill white -draw 'circle 388,118 388,110' \
    -stroke '#101820' -strokewidth 6 -fill '#46617a' -draw "polygon 310,134 196,$tip 140,$tip 226,134"
}
bird sprite_301 12
bird bird_frame_0 12
bird bird_frame_1 120
bird bird_frame_2 244

# 302 ghost: a soft white shape with a rounded top, a wavy hem and dark eyes.
"$C" -size 512x512 xc:none -fill '#f4f8ff' \
  -draw 'path "M 116,300 C 116,120 396,120 396,300 L 396,440 C 370,400 350,470 320,430 C 290,470 270,400 256,440 C 240,400 220,470 190,430 C 160,470 140,400 116,440 Z"' \
  -blur 0x10 -channel A -evaluate multiply 0.9 +channel \
  -fill '#1a1a3acc' -draw 'ellipse 210,260 24,34 0,360' -draw 'ellipse 302,260 24,34 0,360' \
  -draw 'ellipse 256,340 26,18 0,360' \
  -resize 128x128 "${png[@]}" "PNG32:$out/sprite_302.png"

# 303 fog puff: a soft cloud, brighter in the middle, fading to nothing at its edge.
"$C" -size 256x256 radial-gradient:'#ffffff'-'#000000' -gamma 0.8 \
  \( -size 256x256 xc: -seed 7 +noise Random -blur 0x12 -colorspace Gray -auto-level \) \
  -compose multiply -composite -level 5%,70% -blur 0x4 \
  \( -size 256x256 radial-gradient:'#ffffff'-'#000000' \) -compose multiply -composite \
  \( -size 256x256 xc:'#eef2f6' \) +swap -alpha off -compose copy_opacity -composite \
  "${png[@]}" "PNG32:$out/sprite_303.png"

# 304 rain streak: a thin pale blue line, brightest in its lower part, fading at both ends.
"$C" -size 16x128 gradient:'#00000000'-'#a8c4ee' \
  \( -size 16x128 xc:black -fill white -draw 'rectangle 6,0 9,127' -blur 0x1.2 \) \
  \( -size 16x128 gradient:black-white -sigmoidal-contrast 4,60% \) -compose multiply -composite \
  \( -size 16x128 xc:'#b4ccf0' \) +swap -alpha off -compose copy_opacity -composite \
  "${png[@]}" "PNG32:$out/sprite_304.png"

# 305 grass blade: a tapering blade, darker at its root, with a dark edge.
paint sprite_305 32x128 \
  -stroke '#1c3a10' -strokewidth 5 -fill '#4f9a2a' \
  -draw 'path "M 30,510 C 40,340 60,160 80,6 C 82,160 104,340 100,510 Z"' \
  -stroke none -fill '#8ccf4c' -draw 'path "M 62,500 C 64,340 72,180 79,30 C 80,180 84,340 78,500 Z"'

# 306 flower: a stem with two leaves, a pink head of eight petals around a yellow heart.
petals=""
for k in 0 45 90 135 180 225 270 315; do
  petals="$petals -draw \"translate 192,150 rotate $k ellipse 0,-62 34,62 0,360\""
done
eval "\"$C\" -size 384x768 xc:none \
  -stroke '#1f4a14' -strokewidth 10 -fill none -draw 'path \"M 192,766 C 180,600 206,420 192,200\"' \
  -stroke '#1f4a14' -strokewidth 5 -fill '#4f9a2a' \
  -draw 'path \"M 188,560 C 120,520 80,470 64,420 C 120,440 170,480 188,560 Z\"' \
  -draw 'path \"M 196,460 C 260,420 300,380 320,330 C 260,340 210,390 196,460 Z\"' \
  -stroke '#7a1f4f' -strokewidth 6 -fill '#f06aa8' $petals \
  -stroke '#7a4a00' -fill '#ffd23c' -draw 'circle 192,150 192,110' \
  -resize 96x192! ${png[*]} PNG32:$out/sprite_306.png"

# 307 spark strip: four frames of an electric spark, each a different burst of rays.
frames=()
for k in 0 1 2 3; do
  rays=$(awk -v s=$((31 + k * 17)) 'BEGIN{srand(s); for(i=0;i<7;i++){a=rand()*6.283; r=70+rand()*50;
    printf "M 128,128 L %d,%d L %d,%d ", 128+cos(a+0.25)*r*0.5, 128+sin(a+0.25)*r*0.5, 128+cos(a)*r, 128+sin(a)*r}}')
  "$C" -size 256x256 xc:none -stroke '#7fb6ff' -strokewidth 10 -fill none -draw "path '$rays'" -blur 0x8 \
    -stroke white -strokewidth 4 -draw "path '$rays'" \
    -fill '#ffffffff' -stroke none -draw 'circle 128,128 128,112' -blur 0x1.5 \
    -resize 64x64 "$out/spark_$k.miff"
  frames+=("$out/spark_$k.miff")
done
"$C" "${frames[@]}" +append "${png[@]}" "PNG32:$out/sprite_307.png"
rm -f "${frames[@]}"

# 308 glint: a four-pointed star with a white heart and a warm glow.
"$C" -size 256x256 xc:none -fill '#ffb830' \
  -draw 'polygon 128,4 140,116 252,128 140,140 128,252 116,140 4,128 116,116' -blur 0x6 \
  -fill white -draw 'polygon 128,24 136,120 232,128 136,136 128,232 120,136 24,128 120,120' \
  -draw 'circle 128,128 128,108' -blur 0x2 \
  -resize 64x64 "${png[@]}" "PNG32:$out/sprite_308.png"

# 309 soft beam: warm white, a smooth bell across, fading towards both ends.
"$C" -size 128x512 xc:'#fff4d8' \
  \( -size 512x128 gradient:black-white -rotate 90 -fx 'exp(-((i-w/2)/(w*0.22))^2) * (0.15+0.85*sin(3.1416*j/h))' \) \
  -alpha off -compose copy_opacity -composite "${png[@]}" "PNG32:$out/sprite_309.png"

# 310 lightning bolt: a jagged white core inside a blue-violet glow, with one fork.
bolt='M 60,4 L 52,72 L 76,80 L 46,160 L 72,166 L 40,252'
fork='M 76,80 L 104,120 L 96,150 L 118,190'
"$C" -size 128x256 xc:none -stroke '#7a6cff' -strokewidth 12 -fill none \
  -draw "path '$bolt'" -draw "path '$fork'" -blur 0x7 \
  -stroke '#d8d4ff' -strokewidth 5 -draw "path '$bolt'" -strokewidth 3 -draw "path '$fork'" -blur 0x1 \
  -stroke white -strokewidth 2 -draw "path '$bolt'" \
  "${png[@]}" "PNG32:$out/sprite_310.png"
