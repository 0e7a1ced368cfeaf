# /p with a parent that is no window (0, letters, a number too large for a handle, 5,000
# digits, the handle of a window that is gone) opens no window and ends at once with exit
# code 0. A preview in a real parent runs inside it as a 152 x 112 child until the parent
# goes away, closed by its program or with its program killed; then it ends at once with 0.
#
# "At once" is measured from outside, against what a start and end of the same program cost
# on this machine at that moment (under load both take seconds): a /a run, which only starts
# and ends, is timed just before, and the end may come at most a second later than that run
# took: counted from the start for a bad parent, from the parent's going for a preview.
source "$(dirname "$0")/e2e_common.sh" "$@"
private_display 1024x768x24
scr_win=$(winepath -w "$SCR" 2>/dev/null)
limit_ms=1000

# The milliseconds a run took, from "windows=N exit=C ms=T".
run_ms() { echo "$1" | sed -n 's/.* ms=\([0-9]*\)$/\1/p'; }
# Times a /a run; sets BARE_MS.
time_bare_start() {
  local out
  out=$(probe run 20000 "$scr_win" /a 0)
  BARE_MS=$(run_ms "$out")
  case "$out" in "windows=0 exit=0 "*) ;; *) fail "/a did not end cleanly: $out" ;; esac
}

digits=$(printf '9%.0s' $(seq 5000))
gone=$(probe nowindow) || fail "no handle of a window that is gone: $gone"
for parent in 0 abc 99999999999 "$digits" "$gone"; do
  what="/p ${parent:0:20}"
  time_bare_start
  out=$(probe run 20000 "$scr_win" /p "$parent")
  echo "$what: $out (/a: $BARE_MS ms)"
  case "$out" in "windows=0 exit=0 "*) ;; *) fail "$what: expected no window and exit 0, got: $out" ;; esac
  [ "$(run_ms "$out")" -le $((BARE_MS + limit_ms)) ] || fail "$what: did not end at once"
done

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# open_preview: a parent window of another program with the preview running inside it; sets
# PARENT (its handle) and PARENT_PID.
open_preview() {
  rm -f "$WORK/parent.txt"  # the handle of an earlier parent must not be taken for this one's
  wine "$PROBE" parent </dev/null >"$WORK/parent.txt" 2>/dev/null &
  PARENT_PID=$!
  e2e_cleanups+=("kill_child $PARENT_PID")
  has_parent() { grep -q '^parent=' "$WORK/parent.txt"; }
  wait_until 30 has_parent || fail "the parent window did not open"
  PARENT=$(sed -n 's/^parent=\([0-9]*\).*/\1/p' "$WORK/parent.txt")
  start_saver /p "$PARENT"
  has_child() { probe children "$PARENT" | grep -q ' client=152x112 visible=1'; }
  wait_until 30 has_child || fail "no 152 x 112 preview inside the parent: $(probe children "$PARENT")"
  local child
  child=$(probe children "$PARENT" | sed -n 's/^child=\([0-9]*\) .*/\1/p')
  # Past the start-up's wait and the first frames (the slow ones, which build the device's
  # shaders): the preview takes its messages between frames of the idle loop.
  probe sync "$child" || fail "the preview does not take its messages"
  sleep 0.5
  probe sync "$child" || fail "the preview does not take its messages"
  saver_running || fail "the preview ended by itself"
  time_bare_start
}

# Waits for the saver's end after the moment FROM (ms) and checks it came at once with 0.
expect_quick_end() {
  local from=$1 what=$2 ended
  while saver_running && [ $(($(now_ms) - from)) -le $((BARE_MS + limit_ms + 10000)) ]; do sleep 0.01; done
  ended=$(now_ms)
  saver_running && fail "$what: the preview is still running"
  wait "$SAVER_PID"
  local rc=$?
  echo "$what: ended $((ended - from)) ms later with exit code $rc (/a: $BARE_MS ms)"
  [ $rc -eq 0 ] || fail "$what: exit code $rc"
  [ $((ended - from)) -le $((BARE_MS + limit_ms)) ] || fail "$what: did not end at once"
}

open_preview
probe close "$PARENT" || fail "cannot close the parent"
from=$(now_ms)
expect_quick_end "$from" "parent closed"

# The program that owns the parent dies: the preview gets no WM_DESTROY then, only its window
# is gone.
open_preview
from=$(now_ms)
kill -9 "$PARENT_PID"
wait "$PARENT_PID" 2>/dev/null
expect_quick_end "$from" "parent's program killed"
echo "passed"
