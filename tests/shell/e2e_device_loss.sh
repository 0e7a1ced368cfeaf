# Another program taking the foreground: a full-screen run of Tevrana.scr ends on it (the
# loss of activation), and a full-screen device that outlives it goes lost, then waits for a
# reset once the other program is gone; the shell resets it, releases and acquires its
# resources again, and drawing goes on (device_loss_host, the shell's own start-up and loop).
#   e2e_device_loss.sh <Tevrana.scr> <saver_probe.exe> <device_loss_host.exe>
source "$(dirname "$0")/e2e_common.sh" "$@"
HOST=$3
private_display 1024x768x24

one_window() { [ "$(saver_window_count)" = 1 ]; }

start_saver /s
wait_until 30 one_window || fail "no full-screen window: $(probe windows)"
sleep 1
saver_running || fail "the screensaver ended by itself"
probe steal 1000 || fail "the probe could not take the foreground"
expect_saver_exit 10 "another program taking the foreground"

wine "$HOST" /s </dev/null >"$WORK/host.log" 2>&1 &
host_pid=$!
e2e_cleanups+=("kill_child $host_pid")
host_drawing() { grep -q '^drawing' "$WORK/host.log"; }
wait_until 30 host_drawing || fail "the host does not draw: $(cat "$WORK/host.log")"
sleep 0.5
probe steal 1500 || fail "the probe could not take the foreground from the host"
host_ended() { ! kill -0 "$host_pid" 2>/dev/null; }
wait_until 75 host_ended || fail "the host is still running: $(cat "$WORK/host.log")"
wait "$host_pid"
rc=$?
tr -d '\r' <"$WORK/host.log"
[ $rc -eq 0 ] || fail "the device was not recovered (exit code $rc)"
echo "passed"
