#!/usr/bin/env bash
# Builds the program and runs the benchmark of check, change and list reading.
# ./bench.sh          the full suite (5,000 projects, 1,000 changes, 100,000 list records)
# ./bench.sh --quick  a smaller suite, under a minute
# Further options go to ravinel-bench (see --help); the suite is generated under build/.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh
exec build/tools/ravinel-bench --dir build/bench-suite "$@"
