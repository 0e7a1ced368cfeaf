#!/usr/bin/env bash
# The close-down test program (test_close_down) as the program runs: full screen on one
# 1280 x 1024 monitor, full screen on two monitors, or the test window, on an X server and
# wineserver of its own (the full-screen windows take the foreground there, not another
# test's). It passes when its one case passes.
#   e2e_close_down.sh full_screen|two_monitors|test_window <test_close_down.exe> <saver_probe.exe>
run=$1
source "$(dirname "$0")/../shell/e2e_common.sh" "$2" "$3"
case "$run" in
  full_screen) private_display 1280x1024x24; switch=/s; monitors=1 ;;
  two_monitors) private_display 1600x600x24 two_monitor_setup; switch=/s; monitors=2 ;;
  test_window) private_display 1024x768x24; switch=/t; monitors=1 ;;
  *) fail "unknown run $run" ;;
esac
[ "$(probe monitors | grep -c '^monitor ')" = "$monitors" ] || fail "Wine does not see $monitors monitors"

timeout 150 wine "$SCR" "$switch" </dev/null >"$WORK/test.log" 2>&1
rc=$?
show_log "$WORK/test.log"
[ $rc -eq 0 ] || fail "the close-down test failed (exit code $rc)"
echo "passed"
