#!/usr/bin/env bash
# Builds the screensaver if needed and runs it in its test window (Tevrana.scr /t) under
# Wine: on your display when DISPLAY is set, otherwise headless on a private Xvfb, where a
# screenshot is taken after a few seconds into build/screenshots/ and its path printed.
#
#   scripts/run.sh [--build DIR] [--seconds N]
#
# TEVRANA_PREFIX selects another Wine prefix.
set -uo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$repo/build"
seconds=4
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$(realpath -m "$2"); shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    *) echo "run.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done

command -v wine >/dev/null && command -v x86_64-w64-mingw32-g++-posix >/dev/null || bash "$repo/scripts/setup.sh"

# shellcheck source=wine-env.sh
source "$repo/scripts/wine-env.sh"
headless=0
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  trap tevrana_env_down EXIT
  tevrana_env_up "$build/run-env"
else
  tevrana_base_env
  prefix=${TEVRANA_PREFIX:-$(tevrana_default_prefix)}
  tevrana_prepare_prefix "$prefix"
  export WINEPREFIX=$prefix
fi

set -e
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build" --target Tevrana
set +e
scr="$build/shell/Tevrana.scr"

if [ $headless -eq 0 ]; then
  exec wine "$scr" /t
fi

wine "$scr" /t </dev/null >"$build/run-env/tevrana.log" 2>&1 &
pid=$!
sleep "$seconds"
mkdir -p "$build/screenshots"
shot="$build/screenshots/tevrana-$(date +%Y%m%d-%H%M%S).png"
import -window root "$shot" 2>/dev/null || xwd -root -silent | convert xwd:- "$shot"
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
if [ -s "$shot" ]; then
  echo "$shot"
else
  echo "run.sh: no screenshot taken" >&2
  exit 1
fi
