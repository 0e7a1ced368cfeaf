# Sourced by the test and run commands: a private Xvfb display, the project's Wine prefix,
# and one persistent wineserver with its services started on null stdio (a wine process
# whose stdio is a pipe would otherwise hand that pipe to every daemon it starts, and the
# pipe would never close).

tevrana_repo() { cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd; }
tevrana_default_prefix() { echo "${HOME:-/root}/.cache/tevrana/wine-prefix"; }

tevrana_base_env() {
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
  export WINEARCH=win64
}

# Creates the prefix once, with the settings CI needs: unmanaged windows (no 2 s delay per
# DestroyWindow on a bare X server), no crash debugger (it hangs, or hides the exit code),
# ALSA as the only audio driver.
tevrana_prepare_prefix() {
  local prefix=$1
  tevrana_base_env
  if [ -f "$prefix/.tevrana-ready" ]; then return 0; fi
  rm -rf "$prefix"; mkdir -p "$prefix"
  export WINEPREFIX=$prefix
  local reg="$prefix/../tevrana-settings.reg"
  cat > "$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\DllOverrides]
"winedbg.exe"=""

[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Audio"="alsa"
REG
  ( unset DISPLAY; wineboot -i </dev/null >"$prefix/../wineboot.log" 2>&1 ) || true
  wine regedit /S "$(WINEPREFIX=$prefix winepath -w "$reg" 2>/dev/null)" </dev/null >/dev/null 2>&1
  wineserver -k </dev/null >/dev/null 2>&1 || true
  wineserver -w </dev/null >/dev/null 2>&1 || true
  touch "$prefix/.tevrana-ready"
}

# tevrana_null_audio <dir>: no sound card here; an ALSA null device (its configuration written
# into dir) lets DirectShow play in real time.
tevrana_null_audio() {
  printf 'pcm.!default {\n    type null\n}\n' > "$1/asound.conf"
  export ALSA_CONFIG_PATH="/usr/share/alsa/alsa.conf:$1/asound.conf"
}

# tevrana_env_up <work dir> [Xvfb screen, e.g. 1024x768x24]
# Starts Xvfb on a free display, the wineserver and the keep-alive window. Sets DISPLAY,
# WINEPREFIX, ALSA_CONFIG_PATH; tevrana_env_down ends all of it.
tevrana_env_up() {
  TEVRANA_ENV_ROOT=$1
  local screen=${2:-1024x768x24}
  mkdir -p "$TEVRANA_ENV_ROOT"
  local prefix=${TEVRANA_PREFIX:-$(tevrana_default_prefix)}
  tevrana_prepare_prefix "$prefix"
  export WINEPREFIX=$prefix

  tevrana_null_audio "$TEVRANA_ENV_ROOT"

  rm -f "$TEVRANA_ENV_ROOT/display"
  exec 9>"$TEVRANA_ENV_ROOT/display"
  Xvfb -displayfd 9 -screen 0 "$screen" -nolisten tcp -noreset </dev/null >"$TEVRANA_ENV_ROOT/xvfb.log" 2>&1 &
  TEVRANA_XVFB_PID=$!
  exec 9>&-
  local i
  for i in $(seq 100); do [ -s "$TEVRANA_ENV_ROOT/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$TEVRANA_ENV_ROOT/display")"

  wineserver -k </dev/null >/dev/null 2>&1 || true
  wineserver -w </dev/null >/dev/null 2>&1 || true
  wineserver -p </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  x86_64-w64-mingw32-gcc-posix -O1 -mwindows -static "$(tevrana_repo)/scripts/keepalive.c" \
    -o "$TEVRANA_ENV_ROOT/keepalive.exe"
  wine "$TEVRANA_ENV_ROOT/keepalive.exe" </dev/null >/dev/null 2>&1 &
  for i in $(seq 100); do pgrep -f 'explorer.exe /desktop' >/dev/null && break; sleep 0.1; done
}

tevrana_env_down() {
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k </dev/null >/dev/null 2>&1 || true; fi
  if [ -n "${TEVRANA_XVFB_PID:-}" ]; then kill "$TEVRANA_XVFB_PID" 2>/dev/null || true; fi
  TEVRANA_XVFB_PID=
}
