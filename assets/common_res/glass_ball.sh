#!/usr/bin/env bash
# Paints the glass ball's pictures of the resource module, the same bytes on every run:
#   58  highlights: a soft window-shaped reflection at the upper left with a hot spot, and a
#       faint caustic crescent inside the lower right edge;
#   59  the rim: the glass darkening towards its edge, with a thin bright line on it;
#   60  the stand: a dark wooden cup on a turned foot, whose front lip hides the ball's
#       lowest part so that it rests in it.
# 58 and 59 are 512 x 512 with alpha 0 outside the ball's disc (radius 254, the circle the
# light's mask leaves); 60 is 512 x 206, the shape of the stand's rectangle.
#   glass_ball.sh <convert> <output dir>
set -euo pipefail
C=$1; out=$2
mkdir -p "$out"
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
png=(-depth 8 -strip -define png:exclude-chunks=date,time)

# The disc every ball picture is cut to, with a one-pixel soft edge.
"$C" -size 512x512 xc:black -fx 'rad=hypot(i-255.5,j-255.5); rad<253 ? 1 : (rad>254.5 ? 0 : (254.5-rad)/1.5)' \
     "$tmp/disc.png"

# 58: highlights. White light; the alpha says where.
"$C" -size 512x512 xc:black \
     \( -size 512x512 xc:black -fill white -draw 'translate 178,150 rotate -38 ellipse 0,0 86,46 0,360' \
        -blur 0x18 -evaluate multiply 0.78 \) -compose plus -composite \
     \( -size 512x512 xc:black -fill white -draw 'translate 160,136 rotate -38 ellipse 0,0 30,14 0,360' \
        -blur 0x5 \) -compose plus -composite \
     \( -size 512x512 xc:black -fill none -stroke white -strokewidth 22 \
        -draw 'arc 30,30 482,482 18,72' -blur 0x14 -evaluate multiply 0.42 \) -compose plus -composite \
     \( -size 512x512 xc:black -fill white -draw 'translate 330,372 rotate -38 ellipse 0,0 12,6 0,360' \
        -blur 0x4 -evaluate multiply 0.55 \) -compose plus -composite \
     -colorspace Gray "$tmp/disc.png" -compose multiply -composite "$tmp/highlight_alpha.png"
"$C" -size 512x512 xc:'#fffdf6' "$tmp/highlight_alpha.png" -alpha off -compose CopyOpacity -composite \
     "${png[@]}" "PNG32:$out/picture_58.png"

# 59: the rim. Dark glass towards the edge (more of it the steeper the view), a thin light
# line just inside the silhouette, and outside the line an opaque band of dark glass up to
# the mask's circle, so that the circle's hard edge meets one even colour, not the scene.
rim='rad=hypot(i-255.5,j-255.5)/254; line=exp(-pow((rad-0.968)/0.011,2));'
"$C" -size 512x512 xc:black -fx "$rim"' shade=rad<0.62 ? 0 : pow((rad-0.62)/0.38,2.2); band=rad<0.972 ? 0 : min(1,(rad-0.972)/0.012); min(1, max(0.72*shade + 0.55*line, 0.94*band))' \
     "$tmp/rim_shade.png"
"$C" "$tmp/rim_shade.png" "$tmp/disc.png" -compose multiply -composite "$tmp/rim_alpha.png"
"$C" -size 512x512 xc:black -fx "$rim"' line' "$tmp/rim_line.png"
# Colour: blue-black glass, lifted to pale blue on the line.
"$C" -size 512x512 xc:'#0c1622' \( -size 512x512 xc:'#dbe9ff' "$tmp/rim_line.png" -alpha off \
        -compose CopyOpacity -composite \) -compose over -composite \
     "$tmp/rim_alpha.png" -alpha off -compose CopyOpacity -composite "${png[@]}" "PNG32:$out/picture_59.png"

# 60: the stand. In its 512 x 206 rectangle the ball's circle has its centre at (254.6,
# -204.9) and radius 280.6, so the ball's bottom lies at y 76: the cup's lip runs across it
# at y 46 to 64, wider than the ball there.
"$C" -size 512x206 xc:none \
     -fill '#2a160b' -draw 'ellipse 256,186 142,16 0,360' \
     -fill '#3b2112' -draw 'polygon 150,186 362,186 330,162 182,162' \
     -fill '#4a2a15' -draw 'ellipse 256,162 76,9 0,360' \
     -fill '#3b2112' -draw 'polygon 214,162 298,162 282,118 230,118' \
     -fill '#5a3419' -draw 'ellipse 256,118 30,7 0,360' \
     -fill '#3f2313' -draw 'path "M 108,52 C 130,104 200,118 256,118 C 312,118 382,104 404,52 Z"' \
     -fill '#6b3f1f' -draw 'ellipse 256,55 148,11 0,180' \
     "$tmp/stand_shape.png"
# Light from the upper left: a soft sheen on the cup and the foot, darker to the right.
"$C" "$tmp/stand_shape.png" -background black -alpha remove \
     \( -size 206x512 gradient:'#ffffff'-'#000000' -rotate -90 -evaluate multiply 0.7 \) \
     -compose soft-light -composite \
     \( -size 512x206 xc:none -fill '#ffd9a050' -draw 'ellipse 196,84 30,18 0,360' -blur 0x9 \) \
     -compose over -composite \
     \( -size 512x206 xc:none -stroke '#d9a06aa0' -strokewidth 2 -fill none \
        -draw 'ellipse 256,55 148,11 0,180' -blur 0x1 \) -compose over -composite \
     \( "$tmp/stand_shape.png" -alpha extract -blur 0x0.8 \) -alpha off -compose CopyOpacity -composite \
     "${png[@]}" "PNG32:$out/picture_60.png"
