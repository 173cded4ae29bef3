#!/usr/bin/env bash
# Installs what is missing, builds, creates the demo suite when it is missing and opens ravinel
# on it; without a display it prints the command-line check of the seven lists instead.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh
cli=build/tools/ravinel-cli
[ -d demo-suite ] || $cli demo demo-suite
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/tools/ravinel demo-suite
fi
echo "No display (DISPLAY and WAYLAND_DISPLAY are unset): ravinel cannot open its window."
echo "The command-line check of the seven lists of demo-suite instead:"
for list in ss dc pd bn0 bn1 bn2 bn3; do
  echo "== $list"
  $cli -C demo-suite check "$list"
done
