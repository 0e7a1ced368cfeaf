# /s on two monitors (one wide Xvfb screen split in two, Wine taking its monitors from
# Xinerama): each screen loads its own scene and draws it with its own device's pictures,
# view and fader, so both monitors show the first slide, then both fade to the second.
#   e2e_two_monitors.sh <Tevrana.scr> <saver_probe.exe>
source "$(dirname "$0")/../shell/e2e_common.sh" "$@"

private_display 1600x600x24 two_monitor_setup
[ "$(probe monitors | grep -c '^monitor ')" = 2 ] || fail "Wine does not see two monitors"

# Mean red, green and blue of a region (0..255).
mean() {
  convert "$1" -crop "$2" +repage -format '%[fx:int(255*mean.r)] %[fx:int(255*mean.g)] %[fx:int(255*mean.b)]' info:
}
# "warm" for the evening lake, "cold" for the northern lights, "dark" in between.
look() {
  local r g b
  read -r r g b < <(mean "$1" "$2")
  local light=$(( (r + g + b) / 3 ))
  if [ "$light" -le 30 ]; then echo dark; elif [ "$r" -gt "$b" ]; then echo warm; else echo cold; fi
}

start_saver /s
wait_until 30 two_windows || fail "expected two full-screen windows: $(probe windows)"
seen=
for i in $(seq 60); do
  sleep 0.3
  screenshot "$WORK/s.png"
  left=$(look "$WORK/s.png" 800x600+0+0)
  right=$(look "$WORK/s.png" 800x600+800+0)
  echo "shot $i: $left $right"
  [ "$left" = "$right" ] || continue  # the two screens may be a frame apart
  case "$seen:$left" in
    :warm) seen=warm ;;
    warm:cold) seen=cold; break ;;
  esac
done
[ "$seen" = cold ] || fail "both monitors did not show slide 1 and then slide 2 (reached '$seen')"
saver_running || fail "the screensaver ended by itself"
xdotool key space
expect_saver_exit 10 "a key"
echo "passed"
