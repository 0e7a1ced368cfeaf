#!/usr/bin/env bash
# Runs a program whose scene holds a matrix-code slide and a water-ring slide in its test
# window (/t) under Wine, and looks at it from outside: each slide must show and move.
#   e2e_matrix_water.sh <TevranaMatrixWater.scr> <work dir>
# Needs DISPLAY and WINEPREFIX (scripts/test.sh sets both). The shots stay in the work dir.
set -uo pipefail
scr=$1; work=$2
rm -rf "$work"; mkdir -p "$work"

# shellcheck source=../support/test_window.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/test_window.sh"
start_test_window "$scr"

mean() { convert "$1" -format '%[fx:int(255*mean.r)] %[fx:int(255*mean.g)] %[fx:int(255*mean.b)]' info:; }
# Pixels that differ by more than a few levels between two shots.
changed() { compare -metric AE -fuzz 4% "$1" "$2" null: 2>&1 | cut -d' ' -f1; }

# The code: dark, its light green. The lake: bright and warm.
kind() {
  read -r r g b < <(mean "$1")
  if [ "$g" -ge 4 ] && [ $(( 2 * g )) -gt $(( 3 * r )) ] && [ $(( 2 * g )) -gt $(( 3 * b )) ] && [ $(( r + g + b )) -lt 150 ]; then
    echo code
  elif [ $(( r + g + b )) -ge 240 ] && [ "$r" -gt "$b" ]; then
    echo water
  else
    echo other
  fi
}

# Shots in pairs, taken back to back so that both fall in one showing of a slide even on a
# loaded machine; a slide lives when the two shots of a pair show it and differ.
declare -A seen alive
end=$((SECONDS + 120))
for i in $(seq 200); do
  [ $SECONDS -lt $end ] || break
  sleep 0.2
  window_shot "a$i" && window_shot "b$i" || continue
  ka=$(kind "$work/a$i.png"); kb=$(kind "$work/b$i.png")
  echo "pair $i: $ka $(mean "$work/a$i.png"), $kb $(mean "$work/b$i.png")"
  [ "$ka" = "$kb" ] && [ "$ka" != other ] || continue
  seen[$ka]=$i
  n=$(changed "$work/a$i.png" "$work/b$i.png")
  echo "  $n pixels changed"
  [ "${n:-0}" -ge 300 ] && alive[$ka]=$i
  [ -n "${alive[code]:-}" ] && [ -n "${alive[water]:-}" ] && break
done
[ -n "${seen[code]:-}" ] || fail "the matrix-code slide never showed"
[ -n "${alive[code]:-}" ] || fail "the code did not fall"
[ -n "${seen[water]:-}" ] || fail "the water-ring slide never showed"
[ -n "${alive[water]:-}" ] || fail "the water did not move"
echo "PASS: falling code in pair ${alive[code]}, moving water in pair ${alive[water]} ($work)"
