# /s on two monitors: its own Xvfb with one wide screen split into two monitors, in a copy
# of the Wine prefix that takes its monitors from Xinerama (UseXRandR=N), so that other
# tests keep their display and settings. One topmost window covers each monitor, the
# cursor is hidden, and the run ends on a key and on the sixth mouse move.
source "$(dirname "$0")/e2e_common.sh" "$@"
# The X cursor probe, built for this machine.
cc -O1 "$HERE/x_cursor.c" -o "$WORK/x_cursor" -lX11 -lXfixes || fail "cannot build the X cursor probe"

private_display 1600x600x24 two_monitor_setup

monitors=$(probe monitors)
echo "$monitors"
[ "$(echo "$monitors" | grep -c '^monitor ')" = 2 ] || fail "Wine does not see two monitors"
echo "$monitors" | grep -qx 'monitor rect=0,0,800,600' || fail "first monitor"
echo "$monitors" | grep -qx 'monitor rect=800,0,1600,600' || fail "second monitor"

# Run 1: coverage, cursor, a key ends it.
xsetroot -solid red
xdotool mousemove 400 300
start_saver /s
wait_until 30 two_windows || fail "expected two full-screen windows: $(probe windows)"
sleep 1.5
windows=$(probe windows)
echo "$windows"
echo "$windows" | grep -q 'rect=0,0,800,600 client=800x600 visible=1 topmost=1 popup=1' || fail "no window over monitor 1"
echo "$windows" | grep -q 'rect=800,0,1600,600 client=800x600 visible=1 topmost=1 popup=1' || fail "no window over monitor 2"
screenshot "$WORK/full.png"
for geometry in 800x600+0+0 800x600+800+0; do
  black=$(region_share "$WORK/full.png" "$geometry" black)
  [ "$black" -ge 99 ] || fail "monitor $geometry is not covered ($black% black)"
done
cursor=$("$WORK/x_cursor")
echo "$cursor"
case "$cursor" in *"visible=0"*) ;; *) fail "the cursor is shown over the screensaver" ;; esac
saver_running || fail "the screensaver ended by itself"
xdotool key space
expect_saver_exit 10 "a key"

# Run 2: mouse moves. Five moves to new positions are tolerated, the sixth ends the run;
# the window's own first mouse message (at the pointer, without any input) may be the first.
# Moves that reach the program while it is busy (starting up, or in a frame) merge into one,
# so each move waits until the saver has taken its messages: the first once its loop runs.
start_saver /s
wait_until 30 two_windows || fail "expected two full-screen windows again"
probe sync || fail "the screensaver does not take its messages"
sleep 1
probe sync
move_to() {
  xdotool mousemove $((100 + $1 * 37)) $((100 + $1 * 23))
  probe sync || true  # after the move that ends the run there is no window left
}
for i in 1 2 3 4; do move_to $i; done
saver_running || fail "four mouse moves ended the run"
for i in 5 6; do move_to $i; done
expect_saver_exit 10 "the sixth mouse move"
echo "passed"
