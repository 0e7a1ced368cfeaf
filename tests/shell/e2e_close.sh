# Sourced by the end-to-end scripts that run the program in its test window on the shared
# display (they run alone, so the window is theirs).
#   close_test_window <saver_probe.exe> <pid>: closes the test window, checks that the program
#   ends with exit code 0, and waits until its window is gone, so the next start finds its own.
close_test_window() {
  local probe=$1 pid=$2
  wine "$probe" close </dev/null >/dev/null 2>&1 || fail "no test window to close"
  for _ in $(seq 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "the program did not end when its window was closed"
  wait "$pid"
  local rc=$?
  [ $rc -eq 0 ] || fail "the program ended with exit code $rc"
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name '^Tevrana Screensaver$' >/dev/null 2>&1 || return 0
    sleep 0.1
  done
}
