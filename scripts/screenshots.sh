#!/usr/bin/env bash
# Makes the screenshots of the README offscreen from the GUI tests on the demo suite: the main
# window (docs/main-window.png) and a list with every state colour (docs/list-window.png).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
export QT_QPA_PLATFORM=offscreen RAVINEL_SCREENSHOTS="$PWD/docs"
build/tests/guitest_workflow \
  --gtest_filter='Corvane.SevenChoices*:VblWindow.EachLineIsColoured*' >/dev/null
ls -l docs/main-window.png docs/list-window.png
