#!/usr/bin/env bash
# Installs everything the build, the run and the tests need on a Debian 12 machine (as
# root), and prepares the project's own Wine prefix. Safe to run again: it is quick when
# everything is there.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mapfile -t packages < <(grep -v '^\s*#' "$here/packages.txt" | sed '/^\s*$/d')

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The prefix is made (once) by the same code the test and run commands use.
# shellcheck source=wine-env.sh
source "$here/wine-env.sh"
tevrana_prepare_prefix "${TEVRANA_PREFIX:-$(tevrana_default_prefix)}"
echo "setup: ready (Wine prefix ${TEVRANA_PREFIX:-$(tevrana_default_prefix)})"
