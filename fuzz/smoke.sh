#!/usr/bin/env bash
# Builds the fuzz targets (preset "fuzz", clang) and runs each one for a bounded time from
# its seed corpus; any crash, hang, leak, sanitizer report or wrong end of a run fails.
# usage: fuzz/smoke.sh [SECONDS per target, default 60] [TARGET...]
set -euo pipefail
secs=${1:-60}
[ $# -gt 0 ] && shift
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(inp shelx xd aim2tab platon databank)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work=$root/build/fuzz/smoke
failed=()
for t in "${targets[@]}"; do
    corpus=$work/$t/corpus
    findings=$work/$t/findings
    rm -rf "${work:?}/$t"
    mkdir -p "$corpus" "$findings"
    fuzz/corpus.sh "$t" "$corpus"
    echo "fuzz_$t: ${secs} s from $(ls "$corpus" | wc -l) seeds"
    # a fixed seed keeps a smoke run repeatable on the same machine
    if ! "$root/build/fuzz/fuzz/fuzz_$t" -seed=1 -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 \
        -dict="$root/fuzz/dict/$t.dict" -artifact_prefix="$findings/" -print_final_stats=1 \
        "$corpus" >"$work/$t/log" 2>&1; then
        failed+=("$t")
        echo "fuzz_$t: FINDING (log $work/$t/log, inputs in $findings)"
        grep -E 'ERROR|SUMMARY|fuzz:|runtime error|Test unit written' "$work/$t/log" | head -20 || true
    else
        grep -E '^stat::number_of_executed_units' "$work/$t/log" || true
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz smoke: findings in ${failed[*]}"
    exit 1
fi
echo "fuzz smoke: ${#targets[@]} targets, no finding"
