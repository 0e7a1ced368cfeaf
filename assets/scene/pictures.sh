#!/usr/bin/env bash
# Paints the slide pictures of the scene with ImageMagick, the same bytes on every run.
#   pictures.sh <convert> <output dir> [scale]
# scale 1 gives 1024 x 768 pictures (the campfire lake 1920 x 1080); a larger scale gives bigger, grainier copies (the
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

# A lake at dusk with a campfire's glow along the near shore (1920 x 1080 at scale 1): sky
# to y 470, the lake to about 790 (ripples, the sun's streaks and the hills' reflection for
# the wave brush to move), the dark shore below, where the flame light's fire rises.
LW=$((1920 * scale)); LH=$((1080 * scale))
hills='polygon 0,470 0,380 180,344 300,372 360,392 470,350 560,322 660,366 760,400 930,362 1040,398 1120,428 1240,380 1320,352 1430,384 1520,400 1620,360 1720,338 1830,362 1920,372 1920,470'
near='polygon 0,470 0,432 240,412 470,444 700,418 940,452 1180,440 1420,462 1660,432 1920,450 1920,470'
"$C" -size 1920x470 gradient:'#0e1638'-'#e0864a' \
     \( -size 1920x320 gradient:'#b86a42'-'#0a1230' \) -append \
     \( -size 1920x290 gradient:'#1a0f0c'-'#070403' \) -append \
     \( -size 1920x1080 xc:none -fill '#ffe6b0' -draw 'circle 1180,452 1180,424' -blur 0x5 \) -composite \
     \( -size 1920x1080 xc:none -fill '#ffc87060' -draw 'circle 1180,452 1180,330' -blur 0x60 \) -composite \
     -fill '#3e2c52' -draw "$hills" -fill '#261c38' -draw "$near" \
     \( -size 1920x470 xc:none -fill '#3a2a50' -draw "$hills" -fill '#241a34' -draw "$near" -flip -blur 0x3 \
        -channel A -evaluate multiply 0.55 +channel -crop 1920x330+0+0 +repage -geometry +0+470 \) -composite \
     \( -size 480x80 xc:gray50 -seed 7 +noise Random -colorspace Gray -blur 0x0.6 -resize 1920x320! -motion-blur 0x24+0 \
        -level 35%,65% -alpha copy -fill '#ffd8a0' -colorize 100 -channel A -evaluate multiply 0.12 +channel \
        -geometry +0+470 \) -composite \
     \( -size 1920x1080 xc:none -fill '#ffd89080' -draw 'rectangle 1120,484 1240,488 rectangle 1090,510 1270,514 rectangle 1130,546 1230,550 rectangle 1060,588 1300,593 rectangle 1110,638 1250,643 rectangle 1140,698 1220,703 rectangle 1080,752 1280,757' -blur 0x2 \) -composite \
     \( -size 1920x1080 xc:none -fill '#ff7a2a' -draw 'ellipse 960,1080 1100,200 0,360' -blur 0x90 -channel A -evaluate multiply 0.45 +channel \) -composite \
     -fill '#120a08' -draw 'polygon 0,800 160,786 420,796 700,780 980,792 1260,778 1540,794 1800,782 1920,790 1920,1080 0,1080' \
     \( -size 1920x1080 xc:none -fill '#ff8a3a' -draw 'ellipse 960,1070 820,150 0,360' -blur 0x60 -channel A -evaluate multiply 0.55 +channel \) -composite \
     \( -size 1920x1080 xc:none -fill '#1e120e' -draw 'ellipse 300,905 95,38 0,360 ellipse 1650,930 120,46 0,360 ellipse 520,985 70,28 0,360 ellipse 1420,1000 84,32 0,360' -blur 0x3 \) -composite \
     -resize "${LW}x${LH}!" "${grain[@]}" -strip -quality 92 "$out/campfire-lake.jpg"

# The wave brush's mask over the lake: nothing above the horizon, growing towards the
# shore (distant water moves less), gone before the shore and the fire's tips. Rows of the
# 512 x 512 mask are picture heights / 1080 x 512.
"$C" -size 1x512 xc:black -fx "up=min(max((j-227)/80,0),1); dn=min(max((367-j)/14,0),1); pow(up,0.8)*dn" \
     -scale 512x512! -depth 8 "pgm:$out/lake-waves-mask.pgm"

# A tiny picture for small test documents.
"$C" -size 8x8 gradient:'#3060c0'-'#c06030' -strip "$out/tiny.png"
