# Without Direct3D 9 the program still starts: /t shows the moving error box, /c shows
# the message in a message box instead of the settings dialog.
source "$(dirname "$0")/e2e_common.sh" "$@"
private_display 1024x768x24
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};d3d9=d"

start_saver /t
has_window() { probe windows | grep -q 'title="Tevrana Screensaver" .* client=600x400'; }
wait_until 30 has_window || fail "no test window without Direct3D"
sleep 1.5
screenshot "$WORK/a.png"
sleep 1
screenshot "$WORK/b.png"
# The client area starts at (50, 50) on the screen; inside its black frame the box is
# 298 x 148 pixels of the window colour.
box_a=$(white_box "$WORK/a.png" 600x400+50+50)
box_b=$(white_box "$WORK/b.png" 600x400+50+50)
echo "error box: $box_a then $box_b"
case "$box_a" in 298x148+*) ;; *) fail "no 300 x 150 error box in the test window: $box_a" ;; esac
case "$box_b" in 298x148+*) ;; *) fail "no 300 x 150 error box later: $box_b" ;; esac
[ "$box_a" != "$box_b" ] || fail "the error box does not move"
# The box shows the text of 0x82000001: its pixels are those of the same box drawn with that
# text by a window DC of this prefix. A screenshot can fall between two paints of the moving
# box, so up to three are looked at.
text_2101='Direct3D 8.0 could not be initialized.  Please install the latest version of DirectX.'
probe errorbox "$(winepath -w "$WORK/expected.bmp" 2>/dev/null)" "$text_2101" || fail "cannot draw the expected box"
shows_text() {
  screenshot "$WORK/c.png"
  local box x y
  box=$(white_box "$WORK/c.png" 600x400+50+50)
  case "$box" in 298x148+*) ;; *) return 1 ;; esac
  x=$((50 + $(echo "$box" | cut -d+ -f2) - 1))
  y=$((50 + $(echo "$box" | cut -d+ -f3) - 1))
  convert "$WORK/c.png" -crop "300x150+$x+$y" +repage "$WORK/shown.png"
  differ=$(compare -metric AE -fuzz 10% "$WORK/shown.png" "$WORK/expected.bmp" null: 2>&1)
  echo "pixels that differ from the expected box: $differ"
  [ "$differ" = 0 ]
}
shows_text || shows_text || shows_text || fail "the error box does not show the text of 0x82000001"
probe close
expect_saver_exit 15 "closing the test window"

start_saver /c
out=$(probe msgbox "Tevrana Screensaver")
echo "$out"
echo "$out" | grep -qxF 'text=Direct3D 8.0 could not be initialized.  Please install the latest version of DirectX.' ||
  fail "/c: the message box does not show the text of 0x82000001"
echo "$out" | grep -qx 'owner=0' || fail "/c: the message box has an owner window"
expect_saver_exit 15 "closing the message box"
echo "passed"
