#!/usr/bin/env bash
# Static analysis of src/, run by the tests cppcheck and clang_tidy (tests/static_analysis):
# prints each finding as file:line and exits non-zero on any.
#
#   scripts/static_analysis.sh cppcheck [win32]
#   scripts/static_analysis.sh clang-tidy <build-dir> <c++-compiler>
#
# cppcheck win32 reads the sources as the 32-bit Windows build compiles them (the platform's
# type sizes, _WIN32 and __MINGW32__ defined): some findings, a handle's leak among them,
# show only then.
#
# clang-tidy reads the build's compile_commands.json (written at configure time) and the
# checks of .clang-tidy; the compiler is the build's MinGW g++, whose target and C++ library
# clang is pointed at.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
src=$root/src

run_cppcheck() {
    cd "$root"
    local platform=()
    [ "${1:-}" != win32 ] || platform=(--platform=win32A -D_WIN32 -D__MINGW32__)
    cppcheck --enable=warning,portability,performance --library=windows "${platform[@]}" \
        -I src --inline-suppr --quiet --error-exitcode=1 \
        --template='{file}:{line}: {severity}/{id}: {message}' src
}

# The compiler's #include <...> directories for language $2 (c or c++), one a line.
search_dirs() {
    "$1" -x"$2" -E -v - </dev/null 2>&1 |
        sed -n '/^#include <\.\.\.> search starts here:$/,/^End of search list\.$/s/^ //p'
}

run_clang_tidy() {
    local build=$1 compiler=$2
    if [ ! -f "$build/compile_commands.json" ]; then
        echo "static_analysis: no $build/compile_commands.json; configure that build first" >&2
        return 2
    fi
    # clang finds its own headers and MinGW's C headers from the target alone, but not gcc's
    # libstdc++: those are the directories the compiler searches for C++ and not for C.
    # gcc's own C directories stay out: its intrinsics headers are not clang's.
    local target cxx_dirs args=()
    target=$("$compiler" -dumpmachine)
    cxx_dirs=$(grep -vxFf <(search_dirs "$compiler" c) <(search_dirs "$compiler" c++) || true)
    if [ -z "$cxx_dirs" ]; then
        echo "static_analysis: $compiler lists no C++ include directories" >&2
        return 2
    fi
    args+=(--extra-arg=--target="$target" --extra-arg=-nostdinc++)
    while IFS= read -r dir; do
        args+=(--extra-arg=-isystem"$dir")
    done <<<"$cxx_dirs"
    # Headers of src/ only; the path escaped for the regex.
    local header_filter
    header_filter="^$(printf '%s/' "$src" | sed 's/[].[^$*+?(){}|\\]/\\&/g')"
    local files
    mapfile -t files < <(find "$src" -name '*.cpp' | sort)
    # One run over all files: the database is read once. Its per-file "N warnings generated"
    # lines count what it then filters out; all else it says stays. The exit status is
    # clang-tidy's (pipefail).
    clang-tidy -p "$build" --quiet "${args[@]}" --header-filter="$header_filter" "${files[@]}" \
        2>&1 | { grep -Ev '^[0-9]+ warnings?( and [0-9]+ errors?)? generated\.$' || true; }
}

case "${1:-}" in
cppcheck)
    [ $# -le 2 ] && { [ $# -lt 2 ] || [ "$2" = win32 ]; } ||
        { echo "usage: $0 cppcheck [win32]" >&2; exit 2; }
    run_cppcheck "${2:-}"
    ;;
clang-tidy)
    [ $# -eq 3 ] || { echo "usage: $0 clang-tidy <build-dir> <c++-compiler>" >&2; exit 2; }
    run_clang_tidy "$2" "$3"
    ;;
*)
    echo "usage: $0 cppcheck [win32] | clang-tidy <build-dir> <c++-compiler>" >&2
    exit 2
    ;;
esac
