# Sourced by end-to-end scripts that look at the program's test window (/t) from outside.
# The script defines fail() and $work (a folder of its own) first.

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

# window_shot <name>: the window's 600 x 400 client area as $work/<name>.png. Wine draws the
# caption and an even frame into the X window itself, so the client sits above the bottom
# frame.
window_shot() {
  import -display "$DISPLAY" -window "$window" "$work/raw.png" 2>/dev/null || return 1
  local w h
  read -r w h < <(convert "$work/raw.png" -format '%w %h' info:)
  local frame=$(( (w - 600) / 2 ))
  convert "$work/raw.png" -crop "600x400+$frame+$(( h - 400 - frame ))" +repage "$work/$1.png"
}
