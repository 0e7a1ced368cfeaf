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
# The box holds dark text.
text=$(region_share "$WORK/b.png" "${box_b%%+*}+$((50 + $(echo "$box_b" | cut -d+ -f2)))+$((50 + $(echo "$box_b" | cut -d+ -f3)))" black)
[ "$text" -ge 1 ] || fail "the error box shows no text"
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
