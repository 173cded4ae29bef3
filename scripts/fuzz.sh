#!/usr/bin/env bash
# Runs every fuzz target (or the ones named) for SECONDS each on a copy of its seed corpus, with
# its dictionary; a crash, a sanitizer finding, a leak or a slow input (over 10 s) fails.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]   (targets as in fuzz/corpus: record, msg, ...)
# Needs the build of scripts/asan.sh. Findings are kept in build-asan/fuzz-findings.
# RAVINEL_FUZZ_SEED: the mutation seed, 1 unless set, so that a run on the same tree explores
# the same inputs (a gate that passes here passes there); 0 draws a new seed per run, for
# exploring longer.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD # absolute paths throughout: a target may change its directory
secs=${1:-30}
shift || true
bin=$root/build-asan/out/fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$bin"/fuzz_*; do
    t=${f##*/fuzz_}
    [ "$t" = seeds ] || targets+=("$t")
  done
fi
findings=$root/build-asan/fuzz-findings
mkdir -p "$findings"
# RAVINEL_FUZZ_WORK keeps the grown corpora and logs (to merge new seeds into fuzz/corpus).
if [ -n "${RAVINEL_FUZZ_WORK:-}" ]; then
  mkdir -p "$RAVINEL_FUZZ_WORK"
  work=$(cd "$RAVINEL_FUZZ_WORK" && pwd)
else
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi
failed=0
for t in "${targets[@]}"; do
  mkdir -p "$work/$t"
  seeds=$root/fuzz/corpus/$t
  [ -d "$seeds" ] || seeds=$work/$t
  dict=()
  [ -f "fuzz/dict/$t.dict" ] && dict=(-dict="$root/fuzz/dict/$t.dict")
  log=$work/$t.log
  if nice "$bin/fuzz_$t" -seed="${RAVINEL_FUZZ_SEED:-1}" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
       -print_final_stats=1 -artifact_prefix="$findings/$t-" "${dict[@]}" \
       "$work/$t" "$seeds" >"$log" 2>&1; then
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz $t: ${execs:-?} executions in ${secs} s, no finding"
  else
    failed=1
    echo "fuzz $t: FINDING (input kept in $findings/)"
    grep -E 'ERROR|property broken|runtime error|SUMMARY|Test unit written' "$log" | head -20
  fi
done
exit $failed
