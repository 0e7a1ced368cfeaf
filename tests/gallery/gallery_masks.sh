#!/usr/bin/env bash
# The painted masks of the gallery's brushes, 512 x 512 grey with soft edges, each a box in
# fractions of its slide's picture:
#   water    the left of the evening lake            x 0.04-0.44, y 0.62-0.96
#   move     the sun's streaks on the evening lake   x 0.50-0.74, y 0.58-0.80
#   light    the sun over the campfire lake          x 0.52-0.72, y 0.30-0.54
#   rings    the sky left of the glass ball          x 0.02-0.30, y 0.04-0.40
#   pattern  the lower right of the falling code     x 0.60-0.96, y 0.56-0.92
#   fire     a fire on the evening lake: a half oval at x 0.12-0.34, from y 0.61 down,
#            fading upwards
#   copy     the sky over the campfire lake          x 0.04-0.40, y 0.06-0.34
#   gallery_masks.sh <convert> <output dir>
set -euo pipefail
C=$1; out=$2
mask() {  # mask <x0> <y0> <x1> <y1> <name>: corners in fractions
  local box
  box=$(awk -v a="$1" -v b="$2" -v c="$3" -v d="$4" 'BEGIN{printf "%d,%d %d,%d", a*512, b*512, c*512, d*512}')
  "$C" -size 512x512 xc:black -fill white -draw "roundrectangle $box 24,24" -blur 0x5 -depth 8 "pgm:$out/gallery-$5-mask.pgm"
}
mask 0.04 0.62 0.44 0.96 water
mask 0.50 0.58 0.74 0.80 move
mask 0.52 0.30 0.72 0.54 light
mask 0.02 0.04 0.30 0.40 rings
mask 0.60 0.56 0.96 0.92 pattern
"$C" -size 512x512 xc:black -fill white -draw 'ellipse 118,512 56,200 0,360' -blur 0x8 -depth 8 "pgm:$out/gallery-fire-mask.pgm"
mask 0.04 0.06 0.40 0.34 copy
