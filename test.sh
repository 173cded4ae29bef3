#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; then the core again under
# AddressSanitizer and UndefinedBehaviorSanitizer, and every fuzz target briefly.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j2
# The figures of the crash and fault matrix (calls exercised, crashes and errors survived,
# files lost).
grep -h 'matrix: calls exercised' build/Testing/Temporary/LastTest.log || true
scripts/asan.sh
scripts/fuzz.sh "${RAVINEL_FUZZ_SECONDS:-30}"
