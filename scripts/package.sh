#!/usr/bin/env bash
# Builds the Debian package of ravinel and ravinel-cli with CPack into build/ (never stripped:
# the reference data travels behind the programs' sections).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
(cd build && cpack -G DEB)
ls -l build/*.deb
