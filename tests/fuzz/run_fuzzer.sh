#!/usr/bin/env bash
# Runs one fuzzer as the suite does: every input of its seed corpus, then a fixed number of
# inputs mutated from a fixed seed, so that each run does the same work.
#
#   tests/fuzz/run_fuzzer.sh <fuzzer executable> <work folder> [runs]
#
# The work folder is emptied first. It receives what the run added to the corpus (new/) and,
# when the fuzzer fails, the input that made it fail (crash-*, leak-*, timeout-*): add that
# input to tests/fuzz/corpus/<target>/ with the fix, so that every later run replays it.
set -euo pipefail
fuzzer=$1
work=$2
runs=${3:-500000}
name=$(basename "$fuzzer")
corpus="$(cd "$(dirname "$0")" && pwd)/corpus/${name%_fuzzer}"
[ -d "$corpus" ] || { echo "run_fuzzer: no seed corpus $corpus" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work/new"
# -timeout: a parser of a few KiB that takes seconds is a fault of its own.
exec "$fuzzer" -seed=1 -runs="$runs" -max_len=4096 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$work/" "$work/new" "$corpus"
