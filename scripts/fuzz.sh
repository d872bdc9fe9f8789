#!/usr/bin/env bash
# A longer random run of one fuzzer, by hand (the suite runs each one briefly from a fixed
# seed: tests/fuzz/run_fuzzer.sh). Builds the native tree build-native/ first.
#
#   scripts/fuzz.sh <target> [seconds] [<libFuzzer flag>...]     e.g. scripts/fuzz.sh riff 600
#
# Targets: the files tests/fuzz/<target>_fuzzer.cpp. The run starts from the seed corpus and
# from what earlier runs kept (build-native/fuzz-corpus/<target>/, where new inputs go).
# An input that makes the fuzzer fail is written to build-native/fuzz-artifacts/; add it to
# tests/fuzz/corpus/<target>/ together with the fix.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?usage: scripts/fuzz.sh <target> [seconds] [<libFuzzer flag>...]}
seconds=${2:-300}
shift $(( $# < 2 ? $# : 2 ))
[ -f "tests/fuzz/${target}_fuzzer.cpp" ] || {
    echo "fuzz: no tests/fuzz/${target}_fuzzer.cpp; targets:" \
         $(ls tests/fuzz/*_fuzzer.cpp | sed 's|.*/||; s|_fuzzer.cpp||') >&2
    exit 1
}
cmake -S tests/native -B build-native -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-native --target "${target}_fuzzer" -j2 >/dev/null
mkdir -p "build-native/fuzz-corpus/$target" build-native/fuzz-artifacts
exec "build-native/${target}_fuzzer" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -print_final_stats=1 -artifact_prefix=build-native/fuzz-artifacts/ "$@" \
    "build-native/fuzz-corpus/$target" "tests/fuzz/corpus/$target"
