#!/usr/bin/env bash
# Runs the real program in its test window (/t) under Wine and looks at it from outside,
# with screenshots of the X display over time.
#   e2e.sh fades|letterbox|damaged|music <Tevrana.scr> <TevranaDamaged.scr> <work dir> <saver_probe.exe>
# Needs DISPLAY and WINEPREFIX (scripts/test.sh sets both).
set -uo pipefail
check=$1; scr=$2; damaged=$3; work=$4; probe=$5
rm -rf "$work"; mkdir -p "$work"
key='HKEY_CURRENT_USER\Software\Quillfen\Lumetra\Screensaver'
pid=

fail() { echo "FAIL: $*"; exit 1; }
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null; wait 2>/dev/null; }
source "$(dirname "$0")/../shell/e2e_close.sh"
stop() {
  close_test_window "$probe" "$pid"
  pid=
}
trap cleanup EXIT

# The settings values carry double quotes in their names.
set_setting() {
  printf 'REGEDIT4\r\n\r\n[%s]\r\n"\\"%s\\""=dword:%08x\r\n' "$key" "$1" "$2" > "$work/setting.reg"
  wine regedit /S "$(winepath -w "$work/setting.reg")" </dev/null >/dev/null 2>&1
}

start() {
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

# Saves the window's 600 x 400 client area as $work/<name>.png. Wine draws the caption and
# an even frame into the X window itself, so the client sits above the bottom frame.
shot() {
  import -display "$DISPLAY" -window "$window" "$work/raw.png" 2>/dev/null || return 1
  local w h
  read -r w h < <(convert "$work/raw.png" -format '%w %h' info:)
  local frame=$(( (w - 600) / 2 ))
  convert "$work/raw.png" -crop "600x400+$frame+$(( h - 400 - frame ))" +repage "$work/$1.png"
}

# Mean red, green, blue of a picture region (0..255), e.g. "mean a.png 600x400+0+0".
mean() {
  convert "$1" -crop "$2" +repage -format '%[fx:int(255*mean.r)] %[fx:int(255*mean.g)] %[fx:int(255*mean.b)]' info:
}
brightness() { set -- $(mean "$1" "$2"); echo $(( ($1 + $2 + $3) / 3 )); }
# Takes $work/<name>.png once the picture shows in the middle of the window (a slow start
# draws black frames first); fails after 15 s.
shot_of_picture() {
  for _ in $(seq 50); do
    sleep 0.3
    shot "$1" || continue
    [ "$(brightness "$work/$1.png" 200x400+200+0)" -ge 30 ] && return 0
  done
  fail "the picture never showed"
}

case $check in
fades)
  # Slide 1 (an evening lake, warm) shows at once, fades to black after 8 s, then slide 2
  # (northern lights, cold) fades in.
  set_setting PicPos 2
  start "$scr"
  # States: 0 waiting for slide 1 at full light, 1 waiting for black, 2 waiting for slide 2.
  state=0
  for i in $(seq 80); do
    sleep 0.2
    shot "f$i" || continue
    read -r r g b < <(mean "$work/f$i.png" 600x400+0+0)
    light=$(( (r + g + b) / 3 ))
    echo "frame $i: rgb $r $g $b light $light state $state"
    if [ $state = 0 ] && [ "$r" -gt "$b" ] && [ "$light" -ge 80 ]; then state=1
    elif [ $state = 1 ] && [ "$light" -le 30 ]; then state=2
    elif [ $state = 2 ] && [ "$b" -gt "$r" ] && [ "$light" -ge 60 ]; then state=3; break
    fi
  done
  [ $state = 3 ] || fail "expected slide 1, then black, then slide 2 (reached state $state)"
  stop
  ;;
letterbox)
  # "PicPos" 1 fits the 4:3 picture into 600 x 400: black bars left and right.
  set_setting PicPos 1
  start "$scr"
  shot_of_picture fit
  left=$(brightness "$work/fit.png" 20x400+0+0)
  right=$(brightness "$work/fit.png" 20x400+580+0)
  middle=$(brightness "$work/fit.png" 400x400+100+0)
  echo "bars $left $right, picture $middle"
  [ "$left" -le 3 ] && [ "$right" -le 3 ] || fail "no letterbox bars"
  [ "$middle" -ge 30 ] || fail "no picture between the bars"
  stop
  set_setting PicPos 2
  start "$scr"
  shot_of_picture fill
  left=$(brightness "$work/fill.png" 20x400+0+0)
  echo "fill mode edge $left"
  [ "$left" -ge 15 ] || fail "fill mode shows bars"
  stop
  ;;
damaged)
  # A document that cannot be read: the bouncing box with "Could not load required media."
  # Wine's text trace shows which text the program asks Windows to draw into it.
  WINEDEBUG=trace+text start "$damaged"
  # The box is 300 x 150 in the window colour (light) on black, text dark inside it.
  light=0
  for _ in $(seq 50); do
    sleep 0.3
    shot error || continue
    light=$(convert "$work/error.png" -colorspace Gray -threshold 60% -format '%[fx:int(mean*600*400)]' info:)
    [ "$light" -ge 30000 ] && [ "$light" -le 60000 ] && break
  done
  echo "light pixels: $light"
  [ "$light" -ge 30000 ] && [ "$light" -le 60000 ] || fail "no error box"
  # Dark text inside the light box: the box's own pixels that are not light.
  box=$(convert "$work/error.png" -colorspace Gray -threshold 60% -morphology Close Square:6 \
        -format '%[fx:int(mean*600*400)]' info:)
  echo "box pixels with the text closed over: $box"
  [ $(( box - light )) -ge 300 ] || fail "no text in the error box"
  texts=$(grep -o 'L"[^"]*"' "$work/program.log" | sort | uniq -c)
  echo "texts drawn: $texts"
  grep -q 'L"Could not load required media."' "$work/program.log" || fail "the box does not say \"Could not load required media.\""
  stop
  ;;
music)
  # The document's MP3 is written to the temporary folder and plays: capture what ALSA is
  # given and look for sound in it.
  temp=$(winepath -u "$(wine cmd /c echo %TEMP% </dev/null 2>/dev/null | tr -d '\r')")
  rm -f "$temp/evening.mp3"
  cat > "$work/capture.conf" <<CONF
pcm.!default {
    type plug
    slave { pcm "capture_file"; format S16_LE; rate 44100 }
}
pcm.capture_file {
    type file
    slave.pcm "null"
    file "$work/capture.wav"
    format "wav"
}
CONF
  export ALSA_CONFIG_PATH="/usr/share/alsa/alsa.conf:$work/capture.conf"
  start "$scr"
  sleep 6
  stop
  [ -s "$temp/evening.mp3" ] || fail "the music was not extracted to $temp"
  [ -s "$work/capture.wav" ] || fail "nothing reached the audio device"
  # The WAV header may hold no length (it is written when the device closes): read the
  # samples after it as raw data.
  tail -c +45 "$work/capture.wav" > "$work/capture.raw"
  rms=$(sox -t raw -r 44100 -e signed -b 16 -c 2 "$work/capture.raw" -n stat 2>&1 | awk '/RMS +amplitude/ {print $3}')
  echo "RMS $rms"
  awk -v r="$rms" 'BEGIN { exit !(r > 0.005) }' || fail "the captured sound is silent"
  ;;
*) fail "unknown check $check" ;;
esac
echo "PASS: $check"
