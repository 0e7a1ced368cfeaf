#!/usr/bin/env bash
# Runs the real program in its test window (/t) under Wine and looks at it from outside,
# with screenshots of the X display over time.
#   e2e.sh fades|letterbox|damaged|music|flame <Tevrana.scr> <TevranaDamaged.scr> <work dir>
#          <saver_probe.exe> [<the scene held still.scr> <held still without the haze.scr>]   (flame)
# Needs DISPLAY and WINEPREFIX (scripts/test.sh sets both).
set -uo pipefail
check=$1; scr=$2; damaged=$3; work=$4; probe=$5; still=${6:-}; still_no_haze=${7:-}
rm -rf "$work"; mkdir -p "$work"
source "$(dirname "$0")/../support/test_window.sh"

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
    window_shot "$1" || continue
    [ "$(brightness "$work/$1.png" 200x400+200+0)" -ge 30 ] && return 0
  done
  fail "the picture never showed"
}

case $check in
fades)
  # Slide 1 (an evening lake, warm) shows at once, fades to black after 8 s, then slide 2
  # (northern lights, cold) fades in.
  set_setting PicPos 2
  start_test_window "$scr"
  # States: 0 waiting for slide 1 at full light, 1 waiting for black, 2 waiting for slide 2.
  state=0
  for i in $(seq 80); do
    sleep 0.2
    window_shot "f$i" || continue
    read -r r g b < <(mean "$work/f$i.png" 600x400+0+0)
    light=$(( (r + g + b) / 3 ))
    echo "frame $i: rgb $r $g $b light $light state $state"
    if [ $state = 0 ] && [ "$r" -gt "$b" ] && [ "$light" -ge 80 ]; then state=1
    elif [ $state = 1 ] && [ "$light" -le 30 ]; then state=2
    elif [ $state = 2 ] && [ "$b" -gt "$r" ] && [ "$light" -ge 60 ]; then state=3; break
    fi
  done
  [ $state = 3 ] || fail "expected slide 1, then black, then slide 2 (reached state $state)"
  stop_test_window
  ;;
letterbox)
  # "PicPos" 1 fits the 4:3 picture into 600 x 400: black bars left and right.
  set_setting PicPos 1
  start_test_window "$scr"
  shot_of_picture fit
  left=$(brightness "$work/fit.png" 20x400+0+0)
  right=$(brightness "$work/fit.png" 20x400+580+0)
  middle=$(brightness "$work/fit.png" 400x400+100+0)
  echo "bars $left $right, picture $middle"
  [ "$left" -le 3 ] && [ "$right" -le 3 ] || fail "no letterbox bars"
  [ "$middle" -ge 30 ] || fail "no picture between the bars"
  stop_test_window
  set_setting PicPos 2
  start_test_window "$scr"
  shot_of_picture fill
  left=$(brightness "$work/fill.png" 20x400+0+0)
  echo "fill mode edge $left"
  [ "$left" -ge 15 ] || fail "fill mode shows bars"
  stop_test_window
  ;;
damaged)
  # A document that cannot be read: the bouncing box with "Could not load required media."
  # Wine's text trace shows which text the program asks Windows to draw into it.
  WINEDEBUG=trace+text start_test_window "$damaged"
  # The box is 300 x 150 in the window colour (light) on black, text dark inside it.
  light=0
  for _ in $(seq 50); do
    sleep 0.3
    window_shot error || continue
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
  stop_test_window
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
  start_test_window "$scr"
  sleep 6
  stop_test_window
  [ -s "$temp/evening.mp3" ] || fail "the music was not extracted to $temp"
  [ -s "$work/capture.wav" ] || fail "nothing reached the audio device"
  # The WAV header may hold no length (it is written when the device closes): read the
  # samples after it as raw data.
  tail -c +45 "$work/capture.wav" > "$work/capture.raw"
  rms=$(sox -t raw -r 44100 -e signed -b 16 -c 2 "$work/capture.raw" -n stat 2>&1 | awk '/RMS +amplitude/ {print $3}')
  echo "RMS $rms"
  awk -v r="$rms" 'BEGIN { exit !(r > 0.005) }' || fail "the captured sound is silent"
  ;;
flame)
  # The program's own scene filling the window: the 1920 x 1080 lake at dusk at 400/1080
  # scale, cropped at the sides. Bands of the window, by rows of the picture: sky (above the
  # hills), hills (above the water, outside the waves' mask), the lake where the mask is
  # full, and the shore where the fire burns (from 0.725 of the height).
  set_setting PicPos 2
  sky=600x90+0+10; hills=600x50+0+120; lake=600x35+0+238; fire=600x90+0+305
  # Changes between consecutive shots, in 1/10000 of the full range, per band: "band_changes
  # <prefix> <band>" prints the smallest and the largest.
  band_changes() {
    local lo=100000 hi=0 i d
    for i in 1 2 3 4; do
      d=$(convert "$work/$1$i.png" "$work/$1$((i + 1)).png" -crop "$2" +repage -compose difference -composite \
          -colorspace gray -format '%[fx:int(10000*mean+0.5)]' info:)
      [ "$d" -lt "$lo" ] && lo=$d
      [ "$d" -gt "$hi" ] && hi=$d
    done
    echo "$lo $hi"
  }
  series() {
    start_test_window "$1"
    shot_of_picture "$2"1
    for i in 2 3 4 5; do sleep 0.5; window_shot "$2$i" || fail "no shot"; done
    stop_test_window
  }
  # Held still, without the haze: only the waves (inside their mask) and the fire move.
  series "$still_no_haze" n
  read -r sky_lo sky_hi < <(band_changes n $sky)
  read -r hills_lo hills_hi < <(band_changes n $hills)
  read -r lake_lo lake_hi < <(band_changes n $lake)
  read -r fire_lo fire_hi < <(band_changes n $fire)
  echo "still, no haze: sky $sky_lo..$sky_hi hills $hills_lo..$hills_hi lake $lake_lo..$lake_hi fire $fire_lo..$fire_hi"
  [ "$sky_hi" -le 2 ] && [ "$hills_hi" -le 2 ] || fail "something moved outside the waves' mask and the fire"
  [ "$lake_lo" -ge 8 ] || fail "the waves do not move in their mask"
  [ "$fire_lo" -ge 150 ] || fail "the fire does not move"
  # Held still with the haze: the whole slide shimmers, the hills' edges most.
  series "$still" h
  read -r haze_lo haze_hi < <(band_changes h $hills)
  echo "still, haze: hills $haze_lo..$haze_hi"
  [ "$haze_lo" -ge 8 ] || fail "no heat haze over the hills"
  # The program as shipped: the fire at the bottom, warm and moving, the picture above it.
  series "$scr" s
  read -r fire_lo fire_hi < <(band_changes s $fire)
  read -r r g b < <(mean "$work/s1.png" $fire)
  echo "shipped: fire $fire_lo..$fire_hi, colour $r $g $b"
  [ "$fire_lo" -ge 150 ] || fail "the fire does not move"
  [ "$r" -ge $((b + 60)) ] && [ "$r" -ge 90 ] || fail "no fire colours at the bottom"
  ;;
*) fail "unknown check $check" ;;
esac
echo "PASS: $check"
