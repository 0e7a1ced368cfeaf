#!/usr/bin/env bash
# Paints the resource module's fire and haze pictures with ImageMagick, the same bytes on
# every run (fixed seeds). Every picture tiles without a seam where its sampler wraps.
#   pictures.sh <convert> <output dir>
#  7  flame pattern of the flame light: 512 x 256, tall tongues across the width, bright at
#     the base, thinning and fading to black at the top; tiles horizontally (the light
#     shows mostly its upper part)
#  8  noise: 256 x 256, three independent soft noises of several octaves in R, G and B
# 62  bump: 256 x 256, soft noise in R and G, each averaging one half
# 93  flame pattern of the fire brush: 256 x 256, fewer, broader tongues
set -euo pipefail
C=$1; out=$2
mkdir -p "$out"
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
png=(-strip -define png:exclude-chunks=date,time -depth 8)

# Tileable noise channels: noise <seed> <size> <out> <blur:weight>...
source "$(dirname "$0")/tileable_noise.sh"

# Shifts a grey picture so that its mean is one half.
centre() {  # centre <in> <out>
  local mean
  mean=$("$C" "$1" -format '%[fx:mean]' info:)
  "$C" "$1" -evaluate add "$(awk -v m="$mean" 'BEGIN{printf "%.4f%%", (0.5 - m) * 100}')" "$2"
}

# Flame tongues: a bright bed over the lower half, tongues above it up to ht(x) from the
# bottom, each narrowing towards its tip; whole periods across the width, so the picture tiles horizontally.
# (In fx, r, g, b and t name channels and the image index, so the variables avoid them.)
flames() {  # flames <width> <height> <tongues> <out>
  local fx="px=i/w; up=1-j/h; \
ht=0.88+0.05*sin(2*pi*3*px+0.7)+0.04*sin(2*pi*7*px+2.1)+0.02*sin(2*pi*13*px+4.0); \
rr=min(max((up-0.5)/(ht-0.5),0),1); \
tg=0.5+0.5*cos(2*pi*$3*px+0.9*sin(2*pi*2*px)); \
pow(1-rr,0.6)*(0.35+0.65*pow(tg,0.2+1.8*rr))"
  "$C" -size "$1x$2" xc:black -fx "$fx" -virtual-pixel tile -blur 0x1.5 "${png[@]}" "PNG24:$4"
}

flames 512 256 11 "$out/picture_7.png"
flames 256 256 5 "$out/picture_93.png"

noise 11 256 "$tmp/n8r.png" 24:0.55 9:0.3 3:0.15
noise 21 256 "$tmp/n8g.png" 24:0.55 9:0.3 3:0.15
noise 31 256 "$tmp/n8b.png" 20:0.5 7:0.35 2.5:0.15
"$C" "$tmp/n8r.png" "$tmp/n8g.png" "$tmp/n8b.png" -combine "${png[@]}" "PNG24:$out/picture_8.png"

noise 41 256 "$tmp/b62r.png" 14:0.7 5:0.3
noise 51 256 "$tmp/b62g.png" 14:0.7 5:0.3
centre "$tmp/b62r.png" "$tmp/b62rc.png"
centre "$tmp/b62g.png" "$tmp/b62gc.png"
"$C" "$tmp/b62rc.png" "$tmp/b62gc.png" -size 256x256 xc:gray50 -combine "${png[@]}" "PNG24:$out/picture_62.png"
