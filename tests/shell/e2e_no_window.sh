# /r runs the start-up work only: no window, exit code 0.
source "$(dirname "$0")/e2e_common.sh" "$@"
out=$(probe run 30000 "$(winepath -w "$SCR" 2>/dev/null)" /r)
echo "$out"
[ "$out" = "windows=0 exit=0" ] || fail "/r: expected no window and exit 0, got: $out"
echo "passed"
