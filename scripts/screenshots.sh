#!/usr/bin/env bash
# Makes the screenshots of the README (docs/*.png) offscreen, from the GUI tests on the demo suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
export QT_QPA_PLATFORM=offscreen RAVINEL_SCREENSHOTS="$PWD/docs"
build/tests/guitest_workflow --gtest_filter='Corvane.SevenChoices*' >/dev/null
ls -l docs/*.png
