# The real program opens its settings dialog with /c and without a switch: the dialog with
# its picture drawn 1:1 at (12, 12) of the client area, written settings on opening, and a
# picture position stored by OK.
#   e2e_settings_dialog.sh <Tevrana.scr> <settings_probe.exe>
source "$(dirname "$0")/../shell/e2e_common.sh" "$@"
private_display 1024x768x24
TITLE="Tevrana Screensaver"

probe resource "$(winepath -w "$SCR")" 120 "$(winepath -w "$WORK/picture.jpg")" >/dev/null
[ -s "$WORK/picture.jpg" ] || fail "the program carries no picture \"DDS\" 120"
size=$(identify -format '%wx%h' "$WORK/picture.jpg")
echo "picture $size"

# open_dialog NAME SWITCH...: starts the program, waits for the dialog and checks its picture.
open_dialog() {
  local name=$1
  shift
  probe clear
  start_saver "$@"
  local line
  line=$(probe dialog "$TITLE" 60)
  echo "$name: $line"
  case "$line" in "dialog client="*" owner=0") ;; *) fail "$name: no settings dialog without owner: $line" ;; esac
  local rect=${line#dialog client=}
  rect=${rect%% *}
  local x y
  x=$(echo "$rect" | cut -d, -f1)
  y=$(echo "$rect" | cut -d, -f2)
  sleep 1
  screenshot "$WORK/$name.png"
  convert "$WORK/$name.png" -crop "$size+$((x + 12))+$((y + 12))" +repage "$WORK/$name-picture.png"
  local error
  error=$(compare -metric RMSE "$WORK/$name-picture.png" "$WORK/picture.jpg" null: 2>&1 | sed 's/.*(\(.*\))/\1/')
  echo "$name: picture RMSE $error"
  awk -v e="$error" 'BEGIN { exit !(e < 0.03) }' || fail "$name: the picture is not at (12, 12): RMSE $error"
  # Left of and above the picture the dialog's face shows, not picture.
  local face
  face=$(convert "$WORK/$name.png" -crop "6x6+$((x + 3))+$((y + 3))" +repage -format '%[fx:mean]' info:)
  awk -v f="$face" 'BEGIN { exit !(f > 0.6) }' || fail "$name: the picture reaches beyond (12, 12): mean $face"
  [ "$(probe value AllScreensSame)" = 0 ] || fail "$name: opening did not write the settings"
}

open_dialog no-switch
probe press "$TITLE" 2 >/dev/null
expect_saver_exit 20 "Cancel"
[ "$(probe value '"PicPos"')" = absent ] || fail "Cancel stored a picture position"

open_dialog switch-c /c
probe press "$TITLE" 1 >/dev/null
expect_saver_exit 20 "OK"
[ "$(probe value '"PicPos"')" = 2 ] || fail "OK did not store the picture position Fill"
echo "passed"
