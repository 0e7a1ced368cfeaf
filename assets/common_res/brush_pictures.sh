#!/usr/bin/env bash
# Paints the resource module's pictures of the water and pattern brushes with ImageMagick,
# the same bytes on every run (fixed seeds). Both tile without a seam where their samplers
# wrap.
#   brush_pictures.sh <convert> <output dir>
# 89  water ripples: 256 x 256, the slope of a soft tileable height field of small
#     ripples, across in red and down in green, one half flat
# pattern_frame_0/1: 128 x 128 with alpha, golden rings in a diamond lattice with small
#     rings between them; the second frame's rings wider and a spark in each centre (the
#     two frames of picture package 210)
set -euo pipefail
C=$1; out=$2
mkdir -p "$out"
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
png=(-strip -define png:exclude-chunks=date,time -depth 8)

# Tileable noise channels: noise <seed> <size> <out> <blur:weight>...
source "$(dirname "$0")/tileable_noise.sh"

noise 61 256 "$tmp/height.png" 12:0.6 6:0.3 3:0.1
# Central differences across the wrapped edges; a gain of 6 spreads the slopes over most
# of the range (a few per cent clipped).
"$C" "$tmp/height.png" -virtual-pixel tile -fx "0.5+6*(p[1,0]-p[-1,0])" "$tmp/across.png"
"$C" "$tmp/height.png" -virtual-pixel tile -fx "0.5+6*(p[0,1]-p[0,-1])" "$tmp/down.png"
"$C" "$tmp/across.png" "$tmp/down.png" -size 256x256 xc:gray50 -combine "${png[@]}" "PNG24:$out/picture_89.png"

# Rings of radius r about the tile's centre and corners, small rings of radius r / 2 about
# the middles of its edges, and a spark of the given strength in each big ring's centre.
rings() {  # rings <radius> <spark> <out>
  local fx="dk=hypot(min(i,128-i),min(j,128-j)); dc=hypot(i-64,j-64); \
dm=min(hypot(i-64,min(j,128-j)),hypot(min(i,128-i),j-64)); \
ring=exp(-pow((dc-$1)/3.2,2))+exp(-pow((dk-$1)/3.2,2))+0.8*exp(-pow((dm-$1/2)/2.4,2)); \
spark=$2*(exp(-pow(dc/4.5,2))+exp(-pow(dk/4.5,2))); min(1,0.85*ring+spark)"
  "$C" -size 128x128 xc:'#f2c14e' \( -size 128x128 xc:black -fx "$fx" \) -alpha off \
       -compose CopyOpacity -composite "${png[@]}" "PNG32:$3"
}
rings 36 0 "$out/pattern_frame_0.png"
rings 39 0.9 "$out/pattern_frame_1.png"
