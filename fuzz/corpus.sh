#!/usr/bin/env bash
# Writes the seed corpus of one fuzz target into a directory, from the fixtures of tests/data
# (and the examples) and the few seeds of fuzz/seeds that tests/data has no file for.
# usage: fuzz/corpus.sh TARGET DIR
set -euo pipefail
t=$1
out=$2
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$out"
copy() {  # copy the files matching the globs, if any
    local f
    for f in "$@"; do
        [ -f "$f" ] && cp "$f" "$out/$(basename "$(dirname "$f")")_$(basename "$f")"
    done
    return 0
}
shopt -s nullglob
case $t in
    inp) copy "$root"/fuzz/seeds/inp/* "$root"/examples/kova.inp ;;
    shelx) copy "$root"/tests/data/shelx/* "$root"/fuzz/seeds/shelx/* "$root"/examples/*.res ;;
    aim2tab) copy "$root"/tests/data/aim2tab/* ;;
    platon) copy "$root"/tests/data/platon/* ;;
    databank) copy "$root"/tests/data/databank/* "$root"/fuzz/seeds/databank/* ;;
    xd)
        # every master file with every parameter file, cut by the line "####"
        for mas in "$root"/tests/data/xd/*.mas; do
            for par in "$root"/tests/data/xd/*.inp; do
                { cat "$mas"; printf '####\n'; cat "$par"; } \
                    >"$out/xd_$(basename "${mas%.mas}")_$(basename "${par%.inp}")"
            done
        done
        ;;
    *) echo "corpus.sh: unknown target $t" >&2; exit 1 ;;
esac
