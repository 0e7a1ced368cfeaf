# Shared by the end-to-end scripts: the program and the probe, waiting, screenshots.
#   source e2e_common.sh <Tevrana.scr> <saver_probe.exe>
set -u
SCR=$1
PROBE=$2
WORK=$(mktemp -d /tmp/tevrana-e2e.XXXXXX)
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
e2e_cleanups=()
e2e_exit() {
  local f
  for f in "${e2e_cleanups[@]}"; do eval "$f"; done
  rm -rf "$WORK"
}
trap e2e_exit EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

probe() { wine "$PROBE" "$@" </dev/null 2>/dev/null | tr -d '\r'; }

# Ends a process this script started, unless it has been waited for already: the id of a
# process that is gone is soon another one's (ids wrap at 32768 here), and a clean-up at the
# end once killed other runs' programs with it (their exit code 143).
kill_child() {
  [ "$(sed -n 's/^PPid:\t*//p' "/proc/$1/status" 2>/dev/null)" = "$$" ] && kill "$1" 2>/dev/null
  return 0
}

# Starts the screensaver with the given switch in the background; sets SAVER_PID.
start_saver() {
  wine "$SCR" "$@" </dev/null >"$WORK/saver.log" 2>&1 &
  SAVER_PID=$!
  e2e_cleanups+=("kill_child $SAVER_PID")
}

# wait_until SECONDS COMMAND...: true once COMMAND succeeds.
wait_until() {
  local limit=$1
  shift
  local end=$((SECONDS + limit))
  while [ $SECONDS -lt $end ]; do
    if "$@"; then return 0; fi
    sleep 0.2
  done
  return 1
}

saver_running() { kill -0 "$SAVER_PID" 2>/dev/null; }
saver_ended() { ! saver_running; }

# Waits for the saver to end and checks its exit code.
expect_saver_exit() {
  local limit=$1 what=$2
  wait_until "$limit" saver_ended || fail "$what: the screensaver is still running"
  wait "$SAVER_PID"
  local rc=$?
  [ $rc -eq 0 ] || fail "$what: exit code $rc"
}

# Prints a program's log without Wine's own fixme, err and warn lines.
show_log() { tr -d '\r' <"$1" | grep -v '^[0-9a-f]*:\(fixme\|err\|warn\)'; }

saver_window_count() { probe windows | grep -c '^window ' || true; }

screenshot() { import -window root "$1" 2>/dev/null || xwd -root -silent | convert xwd:- "$1"; }

# Fraction (0..100) of pixels of a region that are near the colour: region_share FILE GEOMETRY COLOUR
region_share() {
  convert "$1" -crop "$2" +repage -fuzz 8% -fill white -opaque "$3" -fill black +opaque white \
    -colorspace gray -format '%[fx:int(mean*100+0.5)]' info:
}

# The bounding box (WxH+X+Y) of the white pixels of a region.
white_box() {
  convert "$1" -crop "$2" +repage -fuzz 8% -fill black +opaque white -trim -format '%wx%h%X%Y' info: 2>/dev/null
}

# private_display SCREEN [COMMAND [ARGUMENTS]]: runs the rest of the script on an X server of
# its own (so that no other test's window covers what is looked at) with a copy of the Wine
# prefix and a wineserver of its own. COMMAND runs with the new DISPLAY before the server
# starts (for settings Wine reads at server start).
private_display() {
  local screen=$1
  local before=("${@:2}")
  local base_prefix=$WINEPREFIX
  # A copy beside the original (hard links where the file system allows), with registry
  # files of its own so that nothing written here reaches the original.
  local copy
  copy=$(mktemp -d "$(dirname "$base_prefix")/e2e-prefix.XXXXXX")
  e2e_cleanups+=("WINEPREFIX='$copy/prefix' wineserver -k </dev/null >/dev/null 2>&1 || true; rm -rf '$copy'")
  cp -al "$base_prefix" "$copy/prefix" 2>/dev/null || { rm -rf "$copy/prefix"; cp -a "$base_prefix" "$copy/prefix"; }
  local reg
  for reg in "$copy"/prefix/*.reg; do cp --remove-destination "$base_prefix/$(basename "$reg")" "$reg"; done
  export WINEPREFIX=$copy/prefix

  exec 9>"$WORK/display"
  Xvfb -displayfd 9 -screen 0 "$screen" -nolisten tcp -noreset </dev/null >"$WORK/xvfb.log" 2>&1 &
  local xvfb=$!
  exec 9>&-
  e2e_cleanups+=("kill_child $xvfb")
  wait_until 10 test -s "$WORK/display" || fail "Xvfb did not start"
  export DISPLAY=":$(head -n1 "$WORK/display")"
  if [ ${#before[@]} -gt 0 ]; then
    wineserver -p </dev/null >/dev/null 2>&1
    "${before[@]}"
    wineserver -k </dev/null >/dev/null 2>&1
    wineserver -w </dev/null >/dev/null 2>&1
  fi
  # Server, services and desktop started on null stdio: a daemon that inherits a pipe of
  # the test would keep it open.
  wineserver -p </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1
  wine "$PROBE" windows </dev/null >/dev/null 2>&1
}

# Two monitors side by side, 800 x 600 each unless given: private_display 1600x600x24
# two_monitor_setup [WIDTH HEIGHT] (the screen twice as wide as a monitor). Wine takes its
# monitors from Xinerama then (UseXRandR=N).
two_monitor_setup() {
  local w=${1:-800} h=${2:-600}
  xrandr --setmonitor M1 "$w/211x$h/158+0+0" screen >/dev/null || fail "xrandr M1"
  xrandr --setmonitor M2 "$w/211x$h/158+$w+0" none >/dev/null || fail "xrandr M2"
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
}
two_windows() { [ "$(saver_window_count)" = 2 ]; }
