# A stored "PicPos" is shown by the settings dialog and drawn by the screens alike: 0 stretch,
# 1 fit, 2 fill, and a value outside 0..2 (7, or -1 stored as 0xFFFFFFFF) shows "Fill" in the
# dialog and draws with fill cropping, not stretched.
#   e2e_picture_position.sh <TevranaFrame.scr> <settings_probe.exe> <saver_probe.exe>
source "$(dirname "$0")/../shell/e2e_common.sh" "$@"
SAVER_PROBE=$3
private_display 1024x768x24
TITLE="Tevrana Screensaver"

# The colour a region shows by its mean: white, red, blue, black, or the mean itself.
region_colour() {
  local r g b
  read -r r g b < <(convert "$1" -crop "$2" +repage \
    -format '%[fx:int(255*mean.r)] %[fx:int(255*mean.g)] %[fx:int(255*mean.b)]' info:)
  if [ "$r" -ge 200 ] && [ "$g" -ge 200 ] && [ "$b" -ge 200 ]; then echo white
  elif [ "$r" -ge 200 ] && [ "$g" -le 55 ] && [ "$b" -le 55 ]; then echo red
  elif [ "$b" -ge 200 ] && [ "$r" -le 55 ] && [ "$g" -le 55 ]; then echo blue
  elif [ "$r" -le 20 ] && [ "$g" -le 20 ] && [ "$b" -le 20 ]; then echo black
  else echo "rgb($r,$g,$b)"
  fi
}

# The test window's client area is 600 x 400 at (50, 50) of the screen. Its picture is white
# inside red bands at its top and bottom and blue bands at its sides: stretch shows the red
# band at the top and the blue one at the left edge, fit the red band and a black bar at the
# left, fill crops the red band away and keeps the blue one.
placement() {
  local top left
  top=$(region_colour "$1" 500x6+100+54)
  left=$(region_colour "$1" 6x300+55+100)
  case "$top/$left" in
    red/blue) echo stretch ;;
    red/black) echo fit ;;
    white/blue) echo fill ;;
    *) echo "unknown (top $top, left $left)" ;;
  esac
}
picture_shows() {
  screenshot "$WORK/window.png"
  [ "$(region_colour "$WORK/window.png" 200x100+250+200)" = white ]
}

while read -r stored shown drawn; do
  probe clear
  probe set '"PicPos"' "$stored" || fail "cannot store $stored"
  start_saver /c
  selection=$(probe selection "$TITLE" 1023)
  probe press "$TITLE" 2 >/dev/null
  expect_saver_exit 20 "Cancel with \"PicPos\" $stored"

  start_saver /t
  wait_until 60 picture_shows || fail "\"PicPos\" $stored: the picture never showed"
  sleep 0.5  # past the fade-in
  screenshot "$WORK/window.png"
  placed=$(placement "$WORK/window.png")
  wine "$SAVER_PROBE" close </dev/null >/dev/null 2>&1
  expect_saver_exit 20 "closing the test window with \"PicPos\" $stored"

  echo "\"PicPos\" $stored: the dialog shows $selection, the window draws $placed"
  [ "$selection" = "$shown" ] || fail "\"PicPos\" $stored: the dialog shows $selection, not $shown"
  [ "$placed" = "$drawn" ] || fail "\"PicPos\" $stored: drawn as $placed, not $drawn"
done <<'CASES'
0 Stretch stretch
1 Fit fit
2 Fill fill
7 Fill fill
4294967295 Fill fill
CASES
echo "passed"
