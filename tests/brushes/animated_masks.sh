#!/usr/bin/env bash
# The painted masks of the end-to-end scene, 512 x 512 grey with soft edges, over the
# evening lake (fractions of the picture):
#   water    the left of the lake        x 0.04-0.44, y 0.62-0.96
#   move     the sun's streaks below it  x 0.50-0.74, y 0.58-0.80
#   pattern  the sky at the upper left   x 0.04-0.36, y 0.04-0.40
#   animated_masks.sh <convert> <output dir>
set -euo pipefail
C=$1; out=$2
mask() {  # mask <x0> <y0> <x1> <y1> <out>: corners in fractions
  local box
  box=$(awk -v a="$1" -v b="$2" -v c="$3" -v d="$4" 'BEGIN{printf "%d,%d %d,%d", a*512, b*512, c*512, d*512}')
  "$C" -size 512x512 xc:black -fill white -draw "roundrectangle $box 24,24" -blur 0x5 -depth 8 "pgm:$5"
}
mask 0.04 0.62 0.44 0.96 "$out/water-mask.pgm"
mask 0.50 0.58 0.74 0.80 "$out/move-mask.pgm"
mask 0.04 0.04 0.36 0.40 "$out/pattern-mask.pgm"
