#!/usr/bin/env bash
# Line coverage of src/pure/ under the fuzzers, each run as the suite runs it (its seed
# corpus, then the same fixed count of inputs from the same seed): builds the fuzzers with
# source coverage in build-native-coverage/, runs them, and prints llvm-cov's report.
#
#   scripts/fuzz_coverage.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-native-coverage
llvm=/usr/lib/llvm-14/bin
[ -x "$llvm/llvm-cov" ] || { echo "fuzz_coverage: needs llvm-14 (scripts/setup.sh installs it)" >&2; exit 1; }
cmake -S tests/native -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DUSBPHONE_FUZZ_COVERAGE=ON >/dev/null
cmake --build "$build" -j2 >/dev/null
rm -rf "$build/profiles"
mkdir -p "$build/profiles"
objects=()
for source in tests/fuzz/*_fuzzer.cpp; do
    name=$(basename "$source" .cpp)
    LLVM_PROFILE_FILE="$PWD/$build/profiles/$name.profraw" \
        tests/fuzz/run_fuzzer.sh "$build/$name" "$build/fuzz-work/$name" "$@" 2>&1 |
        sed -n "s/^stat::number_of_executed_units: */$name: executions /p"
    objects+=(-object "$build/$name")
done
"$llvm/llvm-profdata" merge -o "$build/profiles/all.profdata" "$build"/profiles/*.profraw
"$llvm/llvm-cov" report -instr-profile "$build/profiles/all.profdata" "${objects[@]:1}" \
    src/pure/*.cpp
