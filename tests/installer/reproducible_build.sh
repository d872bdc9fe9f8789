#!/usr/bin/env bash
# Two builds of the same sources, in two other folders, one after the other and the second in
# another time zone, with no signing key: the program, the custom action DLL, the package and
# SHA256SUMS must be the same bytes. Prints the SHA-256 of each from both builds.
#
#   reproducible_build.sh <source dir> <work dir> <version>
#
# The sources are copied as git lists them (tracked and untracked files, without what git
# ignores, such as build trees), so uncommitted changes are built too; the copies have no git
# history, so they are given the source tree's last commit time, as its own build takes it.
set -euo pipefail
source=$1 work=$2 version=$3

rm -rf "$work"
mkdir -p "$work"
epoch=$(git -C "$source" log -1 --format=%ct 2>/dev/null) || epoch=315532800
# Given to CMake, not to the tools: the build itself must hand it to the linker and wixl.
for variable in SOURCE_DATE_EPOCH USBPHONE_SIGN_PKCS12 USBPHONE_SIGN_PKCS11_MODULE USBPHONE_SIGN_PKCS11_KEY \
                USBPHONE_SIGN_CERTS USBPHONE_SIGN_PASSWORD_FILE USBPHONE_SIGN_TIMESTAMP_URL; do
    unset "$variable"
done

copy_sources() {
    mkdir -p "$1"
    if git -C "$source" rev-parse --git-dir >/dev/null 2>&1; then
        # --ignore-failed-read: a tracked file deleted in the work tree is left out.
        (cd "$source" && git ls-files -z --cached --others --exclude-standard |
            tar --null -T - --ignore-failed-read -cf - 2>/dev/null) | tar -xf - -C "$1"
    else
        (cd "$source" && tar --exclude='./build*' -cf - .) | tar -xf - -C "$1"
    fi
}

files=(bin/usbphone.exe bin/setup_actions.dll "usbphone-$version.msi" SHA256SUMS)
trees=("$work/first/usbphone" "$work/second/a/longer/path/to/the/sources")
zones=(UTC Pacific/Kiritimati)
for i in 0 1; do
    tree=${trees[$i]}
    copy_sources "$tree"
    started=$SECONDS
    if ! (cd "$tree" && export TZ=${zones[$i]} &&
          cmake --preset default -D USBPHONE_SOURCE_DATE_EPOCH="$epoch" \
              >"$work/configure-$i.log" 2>&1 &&
          cmake --build build --target usbphone_sums -- -j2 >"$work/build-$i.log" 2>&1); then
        tail -n 30 "$work/configure-$i.log" "$work/build-$i.log" >&2
        echo "reproducible_build: build $((i + 1)) in $tree failed" >&2
        exit 1
    fi
    echo "build $((i + 1)) in $tree (TZ=${zones[$i]}, $(date -u +%H:%M:%S) UTC): $((SECONDS - started)) s"
done

status=0
for file in "${files[@]}"; do
    first=$(sha256sum <"${trees[0]}/build/$file" | cut -d' ' -f1)
    second=$(sha256sum <"${trees[1]}/build/$file" | cut -d' ' -f1)
    if [ "$first" = "$second" ]; then
        echo "same bytes  $first  $file"
    else
        echo "DIFFERENT   $first  $file (first build)" >&2
        echo "            $second  $file (second build); first differing bytes:" >&2
        cmp -l "${trees[0]}/build/$file" "${trees[1]}/build/$file" | head -n 5 >&2 || true
        status=1
    fi
done
echo "SHA256SUMS of the first build:"
sed 's/^/    /' "${trees[0]}/build/SHA256SUMS"
[ $status -ne 0 ] || rm -rf "$work"
exit $status
