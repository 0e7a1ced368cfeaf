#!/bin/sh
# Makes the settings dialog's picture: a night-blue banner with a band of light through two
# interfering ring patterns, and the program's name. Drawn 1:1 at the dialog's top left, so
# its size fits above the catalogue button.
#   settings_picture.sh <convert> <output.jpg>
set -eu
convert=$1
out=$2
tmp=$out.tmp
mkdir -p "$tmp"
w=340
h=52

"$convert" -size ${w}x${h} xc:black -fx '
  va=hypot(i-60,j-120); vb=hypot(i-310,j+80);
  vm=0.5+0.25*cos(va*0.30)+0.25*cos(vb*0.28);
  vy=34+7*sin(i/41+0.6)+3*sin(i/19);
  vg=exp(-(j-vy)*(j-vy)/150);
  0.08+0.55*vg+0.37*vm*(0.25+0.75*vg)' "$tmp/light.png"
# Dark blue through sky blue to near white, then a violet cast towards the right.
"$convert" -size 1x128 gradient:'#040a1c-#2a5fa8' -size 1x128 gradient:'#2a5fa8-#e8f6ff' \
  -append "$tmp/clut.png"
"$convert" -size ${h}x${w} gradient:'#000000-#4a1466' -rotate -90 "$tmp/tint.png"
"$convert" "$tmp/light.png" -colorspace sRGB -type TrueColor "$tmp/clut.png" -clut \
  "$tmp/tint.png" -compose screen -composite "$tmp/banner.png"

font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
if [ -f "$font" ]; then
  "$convert" "$tmp/banner.png" -font "$font" -pointsize 20 -fill '#ffffffdd' -gravity northwest \
    -annotate +12+5 'Tevrana' "$tmp/banner.png"
fi
"$convert" "$tmp/banner.png" -strip -quality 92 "$out"
rm -rf "$tmp"
