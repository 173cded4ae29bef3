#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job on the demo data.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh
mkdir -p demo
rm -f demo/demo.bn demo/demo.bn\$ demo/demo.bn\$\$
cli=build/tools/ravinel-cli
$cli create demo/demo.bn 3 --text "ravinel demo"
$cli dump demo/demo.bn
$cli unused demo/demo.bn
$cli compress demo/demo.bn
$cli dump demo/demo.bn
