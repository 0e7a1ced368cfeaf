#!/usr/bin/env bash
# Paints the program's wave picture (its "DDS" resource 2): the height field of small water
# ripples that the lake light turns into its bump map, height in the red channel. 256 x 256
# and tileable: a sum of waves whose whole numbers of periods fit the tile, their crests
# long across and short from near to far, as ripples seen at a low angle.
#   wave_picture.sh <convert> <output.png> [<output.pgm>]
# The PGM holds the same heights as grey, for scene descriptions ("bump-map").
set -euo pipefail
C=$1; png=$2; pgm=${3:-}
# (periods across, periods down, amplitude, phase) of each wave.
"$C" -size 256x256 xc:black -fx '
  ph=2*pi/256;
  0.5 + 0.15*sin(ph*(2*i+9*j)+0.3) + 0.11*sin(ph*(-3*i+13*j)+1.9)
      + 0.08*sin(ph*(5*i+17*j)+4.1) + 0.06*sin(ph*(-7*i+23*j)+2.6)
      + 0.05*sin(ph*(1*i+29*j)+5.3) + 0.04*sin(ph*(9*i+-11*j)+0.8)' \
  -colorspace Gray -depth 8 "$png.gray.png"
"$C" "$png.gray.png" -type TrueColor -strip -define png:exclude-chunks=date,time "PNG24:$png"
if [ -n "$pgm" ]; then "$C" "$png.gray.png" -depth 8 "pgm:$pgm"; fi
rm -f "$png.gray.png"
