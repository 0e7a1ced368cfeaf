#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest and the build. When the program fails it says
# how, since one that dies before writing anything leaves no other trace in the test log.
start=$(date +%s%N)
wine "$@"
rc=$?
if [ $rc -ne 0 ]; then
  echo "wine-run: $(basename "$1") ended with exit code $rc after $((($(date +%s%N) - start) / 1000000)) ms" >&2
fi
exit $rc
