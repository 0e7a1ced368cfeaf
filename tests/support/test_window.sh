# Sourced by end-to-end scripts that look at the program's test window (/t) from outside on
# the shared display (they run alone, so the window is theirs). The script sets $work (a
# folder of its own) first, and $probe (saver_probe.exe) where it closes the window. Defines
# fail(); the program still running when the script ends is killed.
pid=
window=
fail() { echo "FAIL: $*"; exit 1; }
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; wait 2>/dev/null' EXIT

# set_setting <name> <number>: a settings value in the registry (the names carry double
# quotes).
set_setting() {
  printf 'REGEDIT4\r\n\r\n[%s]\r\n"\\"%s\\""=dword:%08x\r\n' 'HKEY_CURRENT_USER\Software\Quillfen\Lumetra\Screensaver' \
    "$1" "$2" > "$work/setting.reg"
  wine regedit /S "$(winepath -w "$work/setting.reg")" </dev/null >/dev/null 2>&1
}

# start_test_window <program.scr>: starts it in its test window and waits for the window;
# sets pid and window.
start_test_window() {
  wine "$1" /t </dev/null >"$work/program.log" 2>&1 &
  pid=$!
  window=
  for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name '^Tevrana Screensaver$' 2>/dev/null | head -n1)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || fail "no test window appeared"
}

# stop_test_window: closes the window through the probe, checks that the program ends with
# exit code 0, and waits until its window is gone, so the next start finds its own.
stop_test_window() {
  wine "$probe" close </dev/null >/dev/null 2>&1 || fail "no test window to close"
  for _ in $(seq 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "the program did not end when its window was closed"
  wait "$pid"
  local rc=$?
  pid=  # waited for: its id may be another process's now, and the exit trap must not kill it
  [ $rc -eq 0 ] || fail "the program ended with exit code $rc"
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name '^Tevrana Screensaver$' >/dev/null 2>&1 || return 0
    sleep 0.1
  done
}

# window_grab <file>: the whole X window, caption and frame too.
window_grab() { import -display "$DISPLAY" -window "$window" "$1" 2>/dev/null; }

# client_area <grab> <output>: the 600 x 400 client area of a grab. Wine draws the caption and
# an even frame into the X window itself, so the client sits above the bottom frame.
client_area() {
  local w h
  read -r w h < <(convert "$1" -format '%w %h' info:)
  local frame=$(( (w - 600) / 2 ))
  convert "$1" -crop "600x400+$frame+$(( h - 400 - frame ))" +repage -depth 8 "$2"
}

# window_shot <name>: the client area now, as $work/<name>.png.
window_shot() { window_grab "$work/raw.png" && client_area "$work/raw.png" "$work/$1.png"; }
