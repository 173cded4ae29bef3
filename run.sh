#!/usr/bin/env bash
# Installs what is missing, builds, creates the demo suite when it is missing and shows the
# states of its seven lists.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh
cli=build/tools/ravinel-cli
[ -d demo-suite ] || $cli demo demo-suite
for list in ss dc pd bn0 bn1 bn2 bn3; do
  echo "== $list"
  $cli -C demo-suite check "$list"
done
