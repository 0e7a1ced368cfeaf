#!/usr/bin/env bash
# Paints the slide pictures of the scene with ImageMagick, the same bytes on every run.
#   pictures.sh <convert> <output dir> [scale]
# scale 1 gives 1024 x 768 pictures; a larger scale gives bigger, grainier copies (the
# benchmark's large document).
set -euo pipefail
C=$1; out=$2; scale=${3:-1}
mkdir -p "$out"
W=$((1024 * scale)); H=$((768 * scale))
grain=()
size=()
if [ "$scale" -gt 1 ]; then grain=(-seed 3 -attenuate 0.35 +noise Gaussian); fi
geom="${W}x${H}"

# An evening lake: the sun setting behind two mountain ranges, mirrored in still water.
"$C" -size 1024x440 gradient:'#16204a'-'#f3a25e' \
     \( -size 1024x328 gradient:'#e8915a'-'#101a3c' \) -append \
     \( -size 1024x768 xc:none -fill '#fff1c0' -draw 'circle 610,262 610,228' -blur 0x6 \) -composite \
     \( -size 1024x768 xc:none -fill '#ffd89070' -draw 'circle 610,262 610,150' -blur 0x40 \) -composite \
     -fill '#5a3f72' -draw 'polygon 0,440 0,330 90,300 200,350 330,262 450,340 560,300 700,372 820,290 930,332 1024,300 1024,440' \
     -fill '#35284f' -draw 'polygon 0,440 0,392 140,360 260,400 400,352 520,410 660,380 780,420 900,372 1024,400 1024,440' \
     \( -size 1024x768 xc:none -fill '#3a2a55a0' -draw 'polygon 0,440 0,488 140,520 260,480 400,528 520,470 660,500 780,460 900,508 1024,480 1024,440' -blur 0x3 \) -composite \
     \( -size 1024x768 xc:none -stroke '#ffe2a060' -strokewidth 2 -draw 'line 580,452 640,452 line 560,476 660,476 line 585,505 635,505 line 540,540 680,540 line 575,582 645,582' -blur 0x1.5 \) -composite \
     -resize "$geom!" "${grain[@]}" -strip -quality 90 "$out/evening-lake.jpg"

# Northern lights over snowy hills under a sky of stars.
stars=$(awk 'BEGIN{srand(11); for(i=0;i<140;i++){x=int(rand()*1024); y=int(rand()*430); r=(rand()<0.15)?1.6:0.8; printf "circle %d,%d %.1f,%d ", x,y,x+r,y}}')
"$C" -size 1024x768 gradient:'#040814'-'#123049' \
     \( -size 1024x768 xc:none -fill '#ffffffd0' -draw "$stars" \) -composite \
     \( -size 1024x768 xc:none -fill none -stroke '#36f2a6' -strokewidth 46 \
          -draw 'bezier 0,250 260,120 520,330 760,170 900,90 1024,160' -blur 0x24 \) -composite \
     \( -size 1024x768 xc:none -fill none -stroke '#5ad1ff90' -strokewidth 30 \
          -draw 'bezier 0,330 240,230 500,380 760,260 900,210 1024,250' -blur 0x20 \) -composite \
     \( -size 1024x768 xc:none -fill none -stroke '#c07bff60' -strokewidth 22 \
          -draw 'bezier 120,150 340,60 560,200 820,90 920,60 1024,80' -blur 0x18 \) -composite \
     -stroke none -fill '#0c1c2c' -draw 'polygon 0,768 0,520 70,500 150,470 230,495 310,530 400,490 480,455 560,488 640,520 720,492 800,470 910,505 1024,540 1024,768' \
     -fill '#e6eef5' -draw 'polygon 0,768 0,640 200,600 420,650 640,610 860,660 1024,630 1024,768' \
     \( -size 1024x768 xc:none -fill '#b8c8d8' -draw 'polygon 0,768 0,700 260,670 520,712 760,680 1024,706 1024,768' -blur 0x2 \) -composite \
     -resize "$geom!" "${grain[@]}" -strip -quality 90 "$out/northern-lights.jpg"

# A tiny picture for small test documents.
"$C" -size 8x8 gradient:'#3060c0'-'#c06030' -strip "$out/tiny.png"
