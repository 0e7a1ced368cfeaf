# /r runs the start-up work only: no window, exit code 0; /a hands the password change to the
# system and opens no window of its own. The program carries its icon, its manifest and its
# texts.
source "$(dirname "$0")/e2e_common.sh" "$@"
scr_win=$(winepath -w "$SCR" 2>/dev/null)
out=$(probe run 30000 "$scr_win" /r)
echo "$out"
case "$out" in "windows=0 exit=0 "*) ;; *) fail "/r: expected no window and exit 0, got: $out" ;; esac
out=$(probe run 30000 "$scr_win" /a 0)
echo "$out"
case "$out" in "windows=0 exit=0 "*) ;; *) fail "/a: expected no window and exit 0, got: $out" ;; esac

res=$(probe resources "$scr_win")
echo "$res"
echo "$res" | grep -qx 'icon101=1' || fail "no icon 101"
echo "$res" | grep -qx 'manifest=1 asInvoker=1 dpiAware=1 commonControls6=1' || fail "manifest"
echo "$res" | grep -qxF 'string 1000=Tevrana Screensaver' || fail "title string 1000"
echo "$res" | grep -qxF 'string 2101=Direct3D 8.0 could not be initialized.  Please install the latest version of DirectX.' ||
  fail "text 2101"
[ "$(echo "$res" | grep -c '^string 21')" = 13 ] || fail "expected the thirteen error texts"
echo "passed"
