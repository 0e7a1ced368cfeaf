#!/usr/bin/env bash
# Runs the screensaver full screen N times, each run ended by a key or by another program
# taking the foreground, and counts the exit codes: a clean end is exit code 0 every time.
# Not part of the test command; it takes a few seconds a run on an idle machine.
#
#   scripts/repeat-full-screen-exit.sh [--build DIR] [--program FILE] [--keep DIR]
#       [--monitors 1|2] [--end key|foreground] [--after SECONDS|MIN-MAX] [N]
#
# --program runs another build of the program (default: the build's Tevrana.scr, which plays
# its music; the gallery's TevranaGallery.scr has every class); --keep keeps the log and the
# core file of every run that did not end with 0 (core files are written only where the
# kernel's core_pattern is a plain file name); --monitors gives one or two 800 x 600 monitors
# (default two); --end says how a run is ended (default a key); --after how many seconds it
# runs first, counted from when its loop takes messages (default 1; MIN-MAX draws a whole
# number of seconds in the range for each run, so that the end falls on different slides).
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
monitors=2
end=key
after=1
runs=200
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$(realpath -m "$2"); shift 2 ;;
    --program) program=$(realpath -m "$2"); shift 2 ;;
    --keep) keep=$(realpath -m "$2"); shift 2 ;;
    --monitors) monitors=$2; shift 2 ;;
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
case "$monitors" in
  1) private_display 800x600x24 ;;
  2) private_display 1600x600x24 two_monitor_setup ;;
  *) fail "--monitors takes 1 or 2" ;;
esac
[ "$(probe monitors | grep -c '^monitor ')" = "$monitors" ] || fail "Wine does not see $monitors monitors"
all_windows() { [ "$(saver_window_count)" = "$monitors" ]; }
case "$end" in
  key) end_run() { xdotool key space; } ;;
  foreground) end_run() { probe steal 1000 >/dev/null; } ;;
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
for i in $(seq "$runs"); do
  rm -f "$WORK/core"
  cleanups=${#e2e_cleanups[@]}
  start_saver /s
  # Generous limits: on a loaded machine a start or an end can take a minute.
  if ! wait_until 120 all_windows; then
    rc=nowindows
  else
    # The end once the loop takes messages, and a moment into the music.
    probe sync
    sleep "$(run_seconds)"
    end_run
    if wait_until 120 saver_ended; then
      wait "$SAVER_PID"
      rc=$?
    elif all_windows; then
      rc="none (still running with its windows)"
    else
      rc="none (still running without windows)"
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
      [ -f "$WORK/core" ] && mv "$WORK/core" "$keep/run$i.core"
    fi
  fi
  # The next run starts once no window of this one is left.
  wait_until 10 no_windows
done
summary=
for rc in "${!codes[@]}"; do summary+=" exit $rc: ${codes[$rc]};"; done
echo "$runs runs ($monitors monitors, ended by $end after $after s, $(basename "$program")):$summary"
[ "${codes[0]:-0}" = "$runs" ]
