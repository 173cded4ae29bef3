#!/usr/bin/env bash
# Builds the Qt-free core, its tests and the fuzz targets with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer (any finding fails), and runs the tests. Clang compiles a CP1251
# mirror of the sources in build-asan/src; the build itself is in build-asan/out.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/cp1251-mirror.sh . build-asan/src
[ -f build-asan/out/build.ninja ] ||
  CC=clang CXX=clang++ cmake -S build-asan/src -B build-asan/out -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRAVINEL_GUI=OFF -DRAVINEL_SANITIZE=ON -DRAVINEL_FUZZ=ON
cmake --build build-asan/out -j2
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The crash and fault matrix runs every call in the normal build; here every third.
export RAVINEL_MATRIX_STRIDE=${RAVINEL_MATRIX_STRIDE:-3}
ctest --test-dir build-asan/out --output-on-failure -j2
