#!/usr/bin/env bash
# The gallery in its test window (/t) under Wine, looked at from outside: every slide shows
# in turn, each recognised by how it stands to its plain picture (the picture stretched over
# the window): the plain light's slide matches its picture but for its brushes, every other
# light changes its picture where that light acts. The shots stay in the work dir.
#   e2e_gallery_test_window.sh <TevranaGallery.scr> <work dir> <saver_probe.exe> <picture dir> <module dir>
# Needs DISPLAY and WINEPREFIX (scripts/test.sh sets both).
set -uo pipefail
scr=$1; work=$2; probe=$3; pictures=$4; module=$5
rm -rf "$work"; mkdir -p "$work"
source "$(dirname "$0")/../support/test_window.sh"

# "PicPos" 0 stretches each picture over the whole window, as the references are.
set_setting PicPos 0

# Pictures as 60 x 40 cells (each the mean of 10 x 10 pixels of the window), one "r g b"
# line per cell, row by row.
cells() { convert "$1" -scale '60x40!' -depth 8 rgb:- | od -An -v -tu1 -w3; }
cells "$pictures/evening-lake.jpg" > "$work/E.cells"
cells "$pictures/campfire-lake.jpg" > "$work/C.cells"
cells "$pictures/northern-lights.jpg" > "$work/N.cells"
cells "$module/picture_5.png" > "$work/D.cells"

# What a shot shows, from its cells: the mean difference (0..255) from each plain picture
# (E the evening lake, C the campfire lake, N the northern lights, D the module's default
# picture) in the window's upper and lower halves, and its mean colour.
features() {
  cells "$1" | awk -v dir="$work" '
    BEGIN { split("E C N D", names, " ")
            for (k = 1; k <= 4; k++) { i = 0; f = dir "/" names[k] ".cells"
              while ((getline line < f) > 0) { split(line, v, " "); ref[k, i, 0] = v[1]; ref[k, i, 1] = v[2]; ref[k, i, 2] = v[3]; i++ } } }
    { half = (NR - 1 < 1200) ? 0 : 1
      for (c = 0; c < 3; c++) sum[c] += $(c + 1)
      for (k = 1; k <= 4; k++) for (c = 0; c < 3; c++) { d = $(c + 1) - ref[k, NR - 1, c]; diff[k, half] += d < 0 ? -d : d } }
    END { for (k = 1; k <= 4; k++) printf "%s %d %d ", names[k], diff[k, 0] / 3600, diff[k, 1] / 3600
          printf "rgb %d %d %d\n", sum[0] / 2400, sum[1] / 2400, sum[2] / 2400 }'
}

# The slide a shot shows, from its features (differences measured on this gallery's shots
# in brackets; a fade darkens the shot and moves it away from every kind):
#   code   dark and green: the falling code
#   plain  the evening lake in both halves, but for the brushes and objects (3, 2)
#   lake   the evening lake above, its mirror image below (0, 40)
#   flame  the campfire lake above, the fire along the shore below (2, 20)
#   rings  the campfire lake below, above it the clock and the sky's copy refracted with it
#          (10, 2)
#   water  the default picture under water (17, 17)
#   ball   the glass ball on its blue gradient (mean colour 19 34 55)
kind() {
  read -r _ et eb _ ct cb _ _ _ _ dt db _ r g b <<<"$1"
  if [ $((r + g + b)) -lt 120 ] && [ "$g" -gt "$r" ] && [ "$g" -gt "$b" ]; then echo code
  elif [ "$et" -le 8 ] && [ "$eb" -le 8 ]; then echo plain
  elif [ "$et" -le 8 ] && [ "$eb" -ge 20 ]; then echo lake
  elif [ "$ct" -le 8 ] && [ "$cb" -ge 12 ]; then echo flame
  elif [ "$ct" -ge 6 ] && [ "$ct" -le 14 ] && [ "$cb" -le 6 ]; then echo rings
  elif [ "$dt" -le 24 ] && [ "$db" -le 24 ]; then echo water
  elif [ $((r + g + b)) -ge 60 ] && [ "$b" -gt $((r + 20)) ]; then echo ball
  else echo other
  fi
}
# Pixels that differ by more than a few levels between two shots.
changed() { compare -metric AE -fuzz 4% "$1" "$2" null: 2>&1 | cut -d' ' -f1; }

start_test_window "$scr"
# Shots until every slide has shown and moved: a slide moves when two shots in a row show
# it and differ.
declare -A seen=() alive=()
order=()
last=; lastkind=
end=$((SECONDS + 200))
for i in $(seq 1000); do
  [ $SECONDS -lt $end ] || break
  sleep 0.2
  window_shot "s$i" || continue
  f=$(features "$work/s$i.png")
  k=$(kind "$f")
  echo "shot $i at ${SECONDS}s: $k ($f)"
  if [ "$k" != other ]; then
    if [ -z "${seen[$k]:-}" ]; then seen[$k]=$i; order+=("$k"); fi
    if [ "$k" = "$lastkind" ] && [ -z "${alive[$k]:-}" ]; then
      n=$(changed "$work/$last.png" "$work/s$i.png")
      echo "  $n pixels changed since shot ${last#s}"
      [ "${n:-0}" -ge 300 ] && alive[$k]=$i
    fi
  fi
  last=s$i; lastkind=$k
  [ ${#alive[@]} -eq 7 ] && break
done
echo "slides in the order first seen: ${order[*]}"
for k in plain flame ball code water lake rings; do
  [ -n "${seen[$k]:-}" ] || fail "the $k slide never showed (shots in $work)"
  [ -n "${alive[$k]:-}" ] || fail "the $k slide did not move (shots in $work)"
done
# In the gallery's order, starting wherever the run was first looked at.
cycle="plain flame ball code water lake rings plain flame ball code water lake rings"
case "$cycle" in *"${order[*]}"*) ;; *) fail "the slides came in another order: ${order[*]}" ;; esac
stop_test_window
echo "PASS: every slide in turn ($work)"
