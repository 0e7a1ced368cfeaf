#!/usr/bin/env bash
# A full-screen device lost and reset during one light's slide (light_loss_host, on an X
# server and wineserver of its own): the host prints its frame distances and a summary, and
# exits 0 when the slide and the next drew as before the loss, their effects restored.
# The frames it kept stay in the shots folder (reference-0.png to reference-6.png, before.png,
# after.png, next.png).
#   e2e_light_loss.sh <slide 0-6> <light_loss_host.exe> <saver_probe.exe> <shots folder>
slide=$1
host=$2
shots=$4
rm -rf "$shots"; mkdir -p "$shots"
source "$(dirname "$0")/../shell/e2e_common.sh" "$host" "$3"
private_display 1024x768x24

LOSS_SLIDE=$slide LOSS_PROBE=$(winepath -w "$PROBE" 2>/dev/null) LOSS_SHOTS=$(winepath -w "$shots" 2>/dev/null) \
  timeout 170 wine "$host" /s </dev/null >"$WORK/host.log" 2>&1
rc=$?
tr -d '\r' <"$WORK/host.log" | grep -v '^[0-9a-f]*:\(fixme\|err\|warn\)'
[ $rc -eq 0 ] || fail "slide $slide: the device loss was not lived through (exit code $rc)"
echo "passed"
