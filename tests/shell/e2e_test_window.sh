# /t opens the 600 x 400 test window titled "Tevrana Screensaver", draws into it, keeps
# running on input, and ends when the window is closed.
source "$(dirname "$0")/e2e_common.sh" "$@"
private_display 1024x768x24
xdotool mousemove 900 700
start_saver /t
has_test_window() { probe windows | grep -q 'title="Tevrana Screensaver" .* client=600x400 visible=1 topmost=0 popup=0'; }
wait_until 30 has_test_window || fail "no 600 x 400 test window: $(probe windows)"
[ "$(saver_window_count)" = 1 ] || fail "more than one window: $(probe windows)"
sleep 1
# Keys and mouse moves over the window do not end the test mode.
xdotool mousemove 300 300 mousemove 320 310 mousemove 340 320 mousemove 360 330 mousemove 380 340 \
  mousemove 400 350 mousemove 420 360 key space
sleep 1
saver_running || fail "input ended the test window"
screenshot "$WORK/test.png"
black=$(region_share "$WORK/test.png" 560x360+70+70 black)
[ "$black" -ge 95 ] || fail "the test window's client area is not drawn black ($black%)"
probe close
expect_saver_exit 15 "closing the test window"
echo "passed"
