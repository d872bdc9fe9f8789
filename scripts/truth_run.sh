#!/usr/bin/env bash
# Long runs of the handset truth check (the reliability scenario HandsetTruth) by hand, each
# with a fresh seed, against the shipped 32-bit build, as scripts/test.sh runs it:
#
#   scripts/truth_run.sh [--qemu] [<steps> [<runs>]]      default: 20000 steps, 1 run
#   RELIABILITY_SEED=<n> scripts/truth_run.sh <steps>      replays a run
#
# Stops at the first run that finds a breach; its report names the seed to replay.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/arch.sh

if [ "${1:-}" = --qemu ]; then
    export USBPHONE_FORCE_QEMU=1
    shift
fi
steps=${1:-20000}
runs=${2:-1}
if [ -z "${USBPHONE_SETUP_DONE:-}" ]; then
    scripts/setup.sh build
fi
reexec_where_build_runs build "$PWD/scripts/truth_run.sh" "$steps" "$runs"

echo "truth run: $(describe_build build), $runs run(s) of $steps steps"
source scripts/env.sh
start_env build
export RELIABILITY_STEPS=$steps
unset RELIABILITY_FIXED_SEEDS
log=build/truth-run.log
for run in $(seq 1 "$runs"); do
    status=0
    "$WINE" build/bin/reliability_test.exe --gtest_filter=Reliability.HandsetTruth \
        >"$log" 2>&1 || status=$?
    tr -d '\r' <"$log" | grep -v '^\[ *\(RUN\|OK\|-*\|=*\) *\]' | grep -v '^$' || true
    if [ "$status" -ne 0 ]; then
        echo "truth run: run $run failed (the whole output: $log)" >&2
        exit 1
    fi
done
echo "truth run: $runs run(s) of $steps steps, no breach"
