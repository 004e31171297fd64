#!/usr/bin/env bash
# The benchmark: builds the release kova, generates the structures into build/bench and runs
# kova on each. Arguments are sizes (atom counts), by default 50 1000 10000 30000 100000;
# REPEAT (default 3) runs each size that often and reports the fastest run; LIMIT (default
# 900) stops a run after that many seconds.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

command -v python3 >/dev/null || { echo "run.sh: python3 is needed (the generator and the timing)" >&2; exit 1; }

mkdir -p build/bench
log=build/bench/build.log
if ! { cmake --preset release && cmake --build build/release -j4 --target kova; } >"$log" 2>&1; then
    cat "$log" >&2
    echo "run.sh: the release build failed" >&2
    exit 1
fi

# the launcher that takes the figures of the kova process alone
"${CXX:-c++}" -O2 -std=c++20 bench/measure.cpp -o build/bench/measure

python3 bench/bench.py --kova build/release/kova --measure build/bench/measure --work build/bench \
    --repeat "${REPEAT:-3}" --limit "${LIMIT:-900}" "$@"
