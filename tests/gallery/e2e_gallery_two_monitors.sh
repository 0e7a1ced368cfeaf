#!/usr/bin/env bash
# The gallery in /s on two monitors: its own Xvfb with one wide screen split into two
# 800 x 600 monitors, in a copy of the Wine prefix. Each screen loads the document and makes
# its textures, meshes and effects on its own device: both show the slides (never the
# yellow that a picture without its texture leaves), the same slide at the same time, and
# more than one slide in a run; a key then ends the run with exit code 0.
#   e2e_gallery_two_monitors.sh <TevranaGallery.scr> <saver_probe.exe>
source "$(dirname "$0")/../shell/e2e_common.sh" "$@"
private_display 1600x600x24 two_monitor_setup
[ "$(probe monitors | grep -c '^monitor ')" = 2 ] || fail "Wine does not see two monitors"

xdotool mousemove 400 300
start_saver /s
wait_until 60 two_windows || fail "expected two full-screen windows: $(probe windows)"
probe sync || fail "the screensaver does not take its messages"

# Each screen as 80 x 60 cells (the mean of 10 x 10 pixels), one "r g b" line per cell:
# monitor 1's cells, then monitor 2's.
cells() { convert "$1" -crop 800x600 +repage -scale '80x60!' -depth 8 rgb:- | od -An -v -tu1 -w3; }
# For a shot's cells: each screen's mean, its yellow cells (the clear colour that shows
# where a picture has no texture) and the mean difference between the two screens.
stats() {
  awk '{ m = NR <= 4800 ? 1 : 2; s[m] += $1 + $2 + $3
         if ($1 > 200 && $2 > 200 && $3 < 60) y[m]++
         if (m == 1) c[NR] = $0; else { split(c[NR - 4800], a, " "); for (k = 1; k <= 3; k++) { d = $k - a[k]; t += d < 0 ? -d : d } } }
       END { printf "%d %d %d %d %d\n", s[1] / 14400, s[2] / 14400, y[1], y[2], t / 14400 }' "$1"
}
# The mean difference between the same screen's cells in two shots: screen <1|2> <a> <b>
between() {
  paste "$2" "$3" | awk -v m="$1" '(m == 1 && NR <= 4800) || (m == 2 && NR > 4800) {
    for (k = 1; k <= 3; k++) { d = $k - $(k + 3); t += d < 0 ? -d : d } } END { printf "%d", t / 14400 }'
}

# Shots for 40 seconds from the first that shows a slide (the two screens load the document
# one after the other first; at most two minutes on a loaded machine): more than the first
# slide's 7 seconds and the second's 8. A screen shows a slide when it is not black; both
# show the same slide when their cells differ little (their own frames, drawn a moment
# apart, of the same moving effects).
shown=(); alike=0
end=$((SECONDS + 120))
i=0
while [ $SECONDS -lt $end ]; do
  i=$((i + 1))
  sleep 1
  saver_running || fail "the screensaver ended by itself"
  screenshot "$WORK/full.png" || continue
  cells "$WORK/full.png" > "$WORK/c$i.cells"
  read -r m1 m2 y1 y2 d < <(stats "$WORK/c$i.cells")
  echo "shot $i at ${SECONDS}s: means $m1 $m2, yellow cells $y1 $y2, the screens differ by $d"
  [ "$y1" -le 10 ] && [ "$y2" -le 10 ] || fail "shot $i: a screen shows yellow: a picture without its texture"
  [ "$m1" -ge 20 ] && [ "$m2" -ge 20 ] || continue
  [ ${#shown[@]} -eq 0 ] && end=$((SECONDS + 40))
  shown+=("$i")
  [ "$d" -le 12 ] && alike=$((alike + 1))
done
[ ${#shown[@]} -ge 4 ] || fail "the screens showed a slide in only ${#shown[@]} shots"
[ $alike -ge $(( (${#shown[@]} + 1) / 2 )) ] || fail "the screens show different pictures ($alike of ${#shown[@]} shots alike)"

# More than one slide on each screen: a later shot far from the first one shown.
for m in 1 2; do
  most=0
  for i in "${shown[@]}"; do
    d=$(between "$m" "$WORK/c${shown[0]}.cells" "$WORK/c$i.cells")
    [ "$d" -gt "$most" ] && most=$d
  done
  echo "screen $m: its shots differ from its first by up to $most"
  [ "$most" -ge 30 ] || fail "screen $m showed one slide only"
done

xdotool key space
expect_saver_exit 15 "a key"
echo "passed"
