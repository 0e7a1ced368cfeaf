#!/usr/bin/env bash
# Runs the screensaver full screen N times, each run ended by a key or by another program
# taking the foreground, and counts the exit codes: a clean end is exit code 0 every time. It
# also tells how long each end took, from the key (or the moment the foreground was taken)
# to the end of the process: minimum, median and maximum. Not part of the test command; it
# takes a few seconds a run on an idle machine.
#
#   scripts/repeat-full-screen-exit.sh [--build DIR] [--program FILE] [--keep DIR]
#       [--monitors 1|2] [--size WxH] [--end key|foreground] [--after SECONDS|MIN-MAX] [N]
#
# The defaults are what a user sees: one 1280 x 1024 monitor, a run of 3 to 5 seconds. Runs
# of one second end inside the shipped slide's two-second fade-in, where the exit crash of
# an earlier build showed about a sixth as often (1 in 350 runs on two 800 x 600 monitors,
# against 7 in 350 ended 3 to 5 s in, whatever the monitors' size); 920 runs of that kind
# once showed none and passed a fault that users would have met.
#
# --program runs another build of the program (default: the build's Tevrana.scr, which plays
# its music; the gallery's TevranaGallery.scr has every class); --keep keeps the log and the
# core file of every run that did not end with 0 (core files are written only where the
# kernel's core_pattern is a plain file name), and gdb's stacks of a run that did not end at
# all; --monitors gives one or two monitors side by
# side (default one) of --size each (default 1280x1024); --end says how a run is ended
# (default a key); --after how many seconds it runs first, counted from when its loop takes
# messages (default 3-5; MIN-MAX draws a whole number of seconds in the range for each run,
# so that the end falls on different slides).
# With a checking heap (LD_PRELOAD=libc_malloc_debug.so.0 MALLOC_CHECK_=3 for the C library's,
# WINEDEBUG=warn+heap for Wine's) a run whose log tells of a damaged heap counts as not ending
# cleanly too. Several copies of the script may run at once: each has its own X server and
# prefix copy.
# TEVRANA_PREFIX selects another Wine prefix (the runs use a copy of it).
set -uo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$repo/build"
program=
keep=
monitors=1
size=1280x1024
end=key
after=3-5
runs=200
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$(realpath -m "$2"); shift 2 ;;
    --program) program=$(realpath -m "$2"); shift 2 ;;
    --keep) keep=$(realpath -m "$2"); shift 2 ;;
    --monitors) monitors=$2; shift 2 ;;
    --size) size=$2; shift 2 ;;
    --end) end=$2; shift 2 ;;
    --after) after=$2; shift 2 ;;
    [0-9]*) runs=$1; shift ;;
    *) echo "repeat-full-screen-exit.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
program=${program:-$build/shell/Tevrana.scr}
probe_exe=$build/tests/shell/saver_probe.exe
[ -f "$program" ] && [ -f "$probe_exe" ] ||
  { echo "build Tevrana and saver_probe first (scripts/test.sh --target ...)" >&2; exit 2; }

# shellcheck source=wine-env.sh
source "$repo/scripts/wine-env.sh"
tevrana_base_env
tevrana_prepare_prefix "${TEVRANA_PREFIX:-$(tevrana_default_prefix)}"
export WINEPREFIX=${TEVRANA_PREFIX:-$(tevrana_default_prefix)}
# shellcheck source=../tests/shell/e2e_common.sh
source "$repo/tests/shell/e2e_common.sh" "$program" "$probe_exe"
tevrana_null_audio "$WORK"
[[ "$size" =~ ^([0-9]+)x([0-9]+)$ ]] || fail "--size takes WxH"
width=${BASH_REMATCH[1]}
height=${BASH_REMATCH[2]}
case "$monitors" in
  1) private_display "${size}x24" ;;
  2) private_display "$((2 * width))x${height}x24" two_monitor_setup "$width" "$height" ;;
  *) fail "--monitors takes 1 or 2" ;;
esac
[ "$(probe monitors | grep -c '^monitor ')" = "$monitors" ] || fail "Wine does not see $monitors monitors"
all_windows() { [ "$(saver_window_count)" = "$monitors" ]; }
now_ms() { date +%s%3N; }
# end_run starts the end; ended_at then sets start_ms to when it was made (milliseconds
# since 1970).
case "$end" in
  key)
    end_run() { key_ms=$(now_ms); xdotool key space; }
    ended_at() { start_ms=$key_ms; }
    ;;
  foreground)
    # The probe holds the foreground for a second; it tells when it took it.
    end_run() {
      wine "$PROBE" steal 1000 </dev/null 2>/dev/null | tr -d '\r' >"$WORK/steal.out" &
      steal_pid=$!
    }
    ended_at() {
      wait "$steal_pid"
      start_ms=$(sed -n 's/^taken at //p' "$WORK/steal.out")
      # A probe that did not get the foreground ends nothing.
      grep -q '^foreground taken=1' "$WORK/steal.out" || not_ended="the probe did not take the foreground"
    }
    ;;
  *) fail "--end takes key or foreground" ;;
esac
# The seconds a run goes on before its end.
run_seconds() {
  case "$after" in
    *-*) local low=${after%-*} high=${after#*-}; echo $((low + RANDOM % (high - low + 1))) ;;
    *) echo "$after" ;;
  esac
}

if [ -n "$keep" ]; then
  mkdir -p "$keep"
  ulimit -c unlimited
fi
# Core files land in the working folder of the process that crashed.
cd "$WORK"
no_windows() { [ "$(saver_window_count)" = 0 ]; }
declare -A codes=()
times=()  # milliseconds from each end to the end of its process
for i in $(seq "$runs"); do
  rm -f "$WORK/core"
  cleanups=${#e2e_cleanups[@]}
  start_saver /s
  # Generous limits: on a loaded machine a start or an end can take a minute.
  if ! wait_until 120 all_windows; then
    if saver_running; then
      rc="nowindows (still running)"
    else
      wait "$SAVER_PID"
      rc="nowindows (ended with $?)"
    fi
  else
    # The end once the loop takes messages, and a moment into the music.
    probe sync
    sleep "$(run_seconds)"
    rm -f "$WORK/overdue" "$WORK/stacks.txt"
    not_ended=
    # Generous limit: on a loaded machine an end can take a minute.
    # (Its sleep goes with it: a sleep left behind would keep this script's output open.)
    (
      sleep 120 &
      sleeper=$!
      trap 'kill $sleeper; exit' TERM
      wait "$sleeper"
      if all_windows; then echo "with its windows"; else echo "without windows"; fi >"$WORK/overdue"
      # What its threads are doing, for the log kept of this run.
      [ -n "$keep" ] && gdb -p "$SAVER_PID" -batch -ex "thread apply all bt" >"$WORK/stacks.txt" 2>&1
      kill_child "$SAVER_PID"
    ) &
    watchdog=$!
    end_run
    wait "$SAVER_PID"
    rc=$?
    end_ms=$(now_ms)
    kill "$watchdog" 2>/dev/null
    wait "$watchdog" 2>/dev/null
    ended_at
    if [ -f "$WORK/overdue" ]; then
      rc="none (still running $(cat "$WORK/overdue") after 120 s${not_ended:+; $not_ended})"
    elif [ -n "$start_ms" ]; then
      times+=($((end_ms - start_ms)))
    fi
  fi
  kill_child "$SAVER_PID"
  wait "$SAVER_PID" 2>/dev/null
  # This run's program is gone: the clean-up at the end must not kill what has its id by then.
  e2e_cleanups=("${e2e_cleanups[@]:0:cleanups}")
  grep -qE 'err:heap|warn:heap|malloc\(\)|free\(\)|corrupted' "$WORK/saver.log" && rc="$rc (heap damage told)"
  codes[$rc]=$((${codes[$rc]:-0} + 1))
  [ $((i % 10)) = 0 ] && echo "$i runs, $((i - ${codes[0]:-0})) not ending with 0"
  if [ "$rc" != 0 ]; then
    echo "run $i: exit $rc"
    if [ -n "$keep" ]; then
      cp "$WORK/saver.log" "$keep/run$i.log"
      [ -f "$WORK/stacks.txt" ] && mv "$WORK/stacks.txt" "$keep/run$i.stacks.txt"
      [ -f "$WORK/core" ] && mv "$WORK/core" "$keep/run$i.core"
    fi
  fi
  # The next run starts once no window of this one is left.
  wait_until 10 no_windows
done
summary=
for rc in "${!codes[@]}"; do summary+=" exit $rc: ${codes[$rc]};"; done
echo "$runs runs ($monitors x $size, ended by $end after $after s, $(basename "$program")):$summary"
if [ ${#times[@]} -gt 0 ]; then
  mapfile -t sorted < <(printf '%s\n' "${times[@]}" | sort -n)
  n=${#sorted[@]}
  if [ $((n % 2)) = 1 ]; then median=${sorted[n / 2]}; else median=$(((sorted[n / 2 - 1] + sorted[n / 2]) / 2)); fi
  echo "end to end of process, ms ($n runs): min ${sorted[0]}, median $median, max ${sorted[n - 1]}"
fi
[ "${codes[0]:-0}" = "$runs" ]
