#!/usr/bin/env bash
# A full-screen device lost and reset during each light's slide in turn (light_loss_host, on
# an X server and wineserver of its own, so that taking the foreground there reaches no other
# test): the host prints its frame distances, a line for each light and a summary, and exits
# 0 when every slide and the one after it drew as before the loss, their effects restored.
# The frames it kept stay in the shots folder (reference-0.png to reference-6.png, before-0.png
# to before-6.png, after-0.png to after-6.png, next.png).
#   e2e_light_loss.sh <light_loss_host.exe> <saver_probe.exe> <shots folder>
shots=$3
rm -rf "$shots"; mkdir -p "$shots"
source "$(dirname "$0")/../shell/e2e_common.sh" "$1" "$2"
private_display 1024x768x24

LOSS_PROBE=$(winepath -w "$PROBE" 2>/dev/null) LOSS_SHOTS=$(winepath -w "$shots" 2>/dev/null) \
  timeout 270 wine "$SCR" /s </dev/null >"$WORK/host.log" 2>&1
rc=$?
show_log "$WORK/host.log"
[ $rc -eq 0 ] || fail "the device losses were not lived through (exit code $rc)"
echo "passed"
