#!/usr/bin/env bash
# Paints picture 40, the glyph sheet of the code rain: white glyphs of a code-like shape
# (mirrored digits and letters, and katakana-like strokes) on transparency, each with a soft
# glow, stacked in one column. The light divides the sheet's height into H / W + 2 strips
# and draws glyph g from strip g, so a 32 x 1024 sheet holds 34 glyphs, each centred in a
# strip of 1024 / 34 (about 30) pixels.
#   glyph_sheet.sh <convert> <output.png>
set -euo pipefail
C=$1; out=$2
font=/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf
W=32; H=1024
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT

# Font glyphs: "m" after a character mirrors it left to right.
chars=(0 1m 2 3m 4 5m 7 8 9m Z T Rm H E Fm K z Ж Ξ λm Ψ Σ : = "*" "+" "<" "|")
# Stroke glyphs on a 64 x 60 canvas (drawn at twice the size for smooth edges).
strokes=(
  "polyline 12,14 50,14 40,30 30,46"                       # like ﾌ with a tail
  "line 14,18 50,18 line 32,10 32,50 line 14,34 50,34"      # a post with two bars
  "line 16,12 24,22 line 22,28 30,38 line 20,46 50,34"      # like ﾐ
  "line 16,14 22,24 line 32,12 36,22 polyline 50,14 40,36 20,50"  # like ﾂ
  "line 22,10 22,50 polyline 42,10 42,32 30,50"              # like ﾘ
  "polyline 14,22 50,22 50,32 line 32,10 32,50"             # a hook over a post
)
tiles=()
i=0
for entry in "${chars[@]}"; do
  ch=${entry%m}; flop=(); [ "$ch" != "$entry" ] && flop=(-flop)
  "$C" -size 64x60 xc:none -font "$font" -pointsize 50 -fill white -gravity center \
       -annotate +0+2 "$ch" "${flop[@]}" "$work/g$i.png"
  tiles+=("$work/g$i.png"); i=$((i + 1))
done
for entry in "${strokes[@]}"; do
  "$C" -size 64x60 xc:none -fill none -stroke white -strokewidth 6 \
       -draw "stroke-linecap round stroke-linejoin round $entry" "$work/g$i.png"
  tiles+=("$work/g$i.png"); i=$((i + 1))
done
n=$((H / W + 2))
[ ${#tiles[@]} -eq $n ] || { echo "glyph_sheet.sh: ${#tiles[@]} glyphs for $n strips" >&2; exit 1; }

# Each glyph at 32 x 30 with a glow: its own shape blurred wide at a third of its alpha.
args=(-size ${W}x${H} xc:none)
for g in $(seq 0 $((n - 1))); do
  "$C" "${tiles[$g]}" \( +clone -blur 0x5 -channel A -evaluate multiply 0.45 +channel \) \
       +swap -compose over -composite -resize ${W}x30! "$work/t$g.png"
  y=$(( (2 * g + 1) * H / (2 * n) - 15 ))
  args+=("$work/t$g.png" -geometry +0+$y -composite)
done
"$C" "${args[@]}" -strip -define png:exclude-chunks=date,time -depth 8 "PNG32:$out"
