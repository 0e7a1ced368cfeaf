#!/usr/bin/env bash
# Runs the gallery (every light, brush and object class) in its test window for a long while
# and reports what its process holds every 30 seconds: its Windows handles and threads
# (through saver_probe) and its memory as Linux sees the process (resident and virtual size). After the first full cycle of slides the figures must stay flat; the
# script fails when they grow from the first sample after that cycle to the last.
# Not part of the test suite (it takes ten minutes).
#
#   scripts/gallery-long-run.sh [--build DIR] [--minutes N]
#
# TEVRANA_PREFIX selects another Wine prefix.
set -uo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$repo/build"
minutes=10
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$(realpath -m "$2"); shift 2 ;;
    --minutes) minutes=$2; shift 2 ;;
    *) echo "gallery-long-run.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done

# shellcheck source=wine-env.sh
source "$repo/scripts/wine-env.sh"
pid=
finish() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  tevrana_env_down
}
trap finish EXIT
tevrana_env_up "$build/long-run-env"

set -e
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build" --target TevranaGallery --target saver_probe
set +e
# Copies, so that a rebuild during the run leaves the running program alone.
run="$build/long-run-env/program"
mkdir -p "$run"
cp "$build/tests/gallery/TevranaGallery.scr" "$build/tests/gallery/common_res.dll" "$build/tests/shell/saver_probe.exe" "$run/"
scr="$run/TevranaGallery.scr"
probe="$run/saver_probe.exe"

wine "$scr" /t </dev/null >"$build/long-run-env/program.log" 2>&1 &
pid=$!
for _ in $(seq 300); do wine "$probe" windows </dev/null 2>/dev/null | grep -q '^window ' && break; sleep 0.1; done

# The slides' cycle (7 slides of 8 seconds) after the start-up: the figures count from the
# first sample after it.
cycle=75
start=$SECONDS
samples=()
printf '%6s  %s\n' seconds "figures"
while [ $((SECONDS - start)) -le $((minutes * 60)) ]; do
  kill -0 "$pid" 2>/dev/null || { echo "FAIL: the gallery ended by itself"; exit 1; }
  usage=$(wine "$probe" usage </dev/null 2>/dev/null | tr -d '\r')
  memory=$(awk '/^VmRSS/ {r = $2} /^VmSize/ {v = $2} END {printf "rss_kib=%s vm_kib=%s", r, v}' "/proc/$pid/status" 2>/dev/null)
  line="$usage $memory"
  printf '%6d  %s\n' $((SECONDS - start)) "$line"
  [ $((SECONDS - start)) -gt $cycle ] && samples+=("$line")
  [ $((SECONDS - start)) -ge $((minutes * 30)) ] && [ -z "${half:-}" ] && half=$line
  sleep 30
done
wine "$probe" close </dev/null >/dev/null 2>&1
wait "$pid"
rc=$?
pid=  # waited for: the exit trap must not kill whatever has its id now
echo "exit code $rc"

field() { sed -n "s/.*\b$1=\([0-9]*\).*/\1/p" <<<"$2"; }
first=${samples[0]}; last=${samples[-1]}
status=0
for f in handles threads; do
  a=$(field "$f" "$first"); b=$(field "$f" "$last")
  echo "$f: $a -> $b"
  [ "${b:-0}" -le "${a:-0}" ] || status=1
done
# Memory: the allocator's pools and Mesa's caches move by a little; a leak grows every cycle.
a=$(field vm_kib "$first"); b=$(field vm_kib "$last")
echo "vm_kib: $a -> $b ($((b - a)) KiB)"
[ $((b - a)) -le 4096 ] || status=1
a=$(field rss_kib "$first"); m=$(field rss_kib "$half"); b=$(field rss_kib "$last")
echo "rss_kib: $a -> $m at half time -> $b ($((b - a)) KiB in all, $((b - m)) KiB over the second half)"
[ $((b - m)) -le 4096 ] || status=1
[ $status -eq 0 ] && echo "PASS: flat after the first cycle" || echo "FAIL: the figures grew after the first cycle"
exit $status
