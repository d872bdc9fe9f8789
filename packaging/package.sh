#!/usr/bin/env bash
# Makes the Windows Installer package from a program, the custom action DLL and the icon, the
# same bytes every time for the same files, version and SOURCE_DATE_EPOCH:
#
#   SOURCE_DATE_EPOCH=<seconds> packaging/package.sh <out.msi> <version> <comments> \
#       <usbphone.exe> <setup_actions.dll> <icon>
#
# wixl knows no SOURCE_DATE_EPOCH, so what would differ between two runs is fixed here:
# - the cabinet stores each file's modification time: the files are packed from copies whose
#   times are set to SOURCE_DATE_EPOCH;
# - the summary information's "created" and "last saved" dates are wixl's clock: wixl runs
#   under faketime at SOURCE_DATE_EPOCH (NO_FAKE_STAT: the copies' times stay as set);
# - the product code and the package code, random in wixl, are name-based UUIDs made from
#   everything that goes into the package, so another version or another program gives
#   other codes (every other package stays a major upgrade, as with random codes) and the
#   same inputs give the same ones.
# Signing is not done here: the build signs the package afterwards (packaging/sign.sh).
set -euo pipefail

if [ $# -ne 6 ] || [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    echo "usage: SOURCE_DATE_EPOCH=<seconds> $0 <out.msi> <version> <comments> <program> <actions> <icon>" >&2
    exit 2
fi
out=$1 version=$2 comments=$3 program=$4 actions=$5 icon=$6
here=$(cd "$(dirname "$0")" && pwd)
wxs=$here/usbphone.wxs

# Windows Installer compares the first three fields only: the lowest version it takes for
# newer than this one has the third field one higher.
IFS=. read -r major minor build _ <<<"$version"
after_version=$major.$minor.$((build + 1))

# A GUID from a SHA-256 over the given text and files (version nibble 8: a custom UUID).
name_guid() {
    local text=$1
    shift
    local hash
    hash=$({ printf '%s\n' "$text"; sha256sum "$@" | cut -d' ' -f1; } | sha256sum | cut -c1-32)
    hash=${hash^^}
    local variant=$(( (16#${hash:16:1} & 3) | 8 ))
    printf '%s-%s-8%s-%X%s-%s\n' "${hash:0:8}" "${hash:8:4}" "${hash:13:3}" "$variant" \
        "${hash:17:3}" "${hash:20:12}"
}
inputs=("$wxs" "$0" "$program" "$actions" "$icon")
product_code=$(name_guid "product $version $comments" "${inputs[@]}")
package_code=$(name_guid "package $version $comments" "${inputs[@]}")

stage="$out.stage"
rm -rf "$stage"
mkdir -p "$stage"
cp "$program" "$stage/usbphone.exe"
cp "$actions" "$stage/setup_actions.dll"
cp "$icon" "$stage/app.ico"
touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*

# wixl looks files up relative to its working folder and rejects absolute paths.
(cd "$stage" && TZ=UTC NO_FAKE_STAT=1 faketime "@$SOURCE_DATE_EPOCH" \
    wixl --arch x86 -D Version="$version" -D AfterVersion="$after_version" \
         -D Comments="$comments" -D ProductCode="$product_code" \
         -D ProgramFile=usbphone.exe -D IconFile=app.ico -D ActionsFile=setup_actions.dll \
         -o package.msi "$wxs")
# The condition wixl cannot express (see the StartAtLogon component in the .wxs).
msibuild "$stage/package.msi" -q \
    "UPDATE \`Component\` SET \`Condition\` = 'STARTATLOGON <> \"0\"' WHERE \`Component\` = 'StartAtLogon'"
# The package code is the summary information's revision number; msibuild sets it together
# with the subject, author and template, which are kept as wixl wrote them.
summary() { msiinfo suminfo "$stage/package.msi" | sed -n "s/^$1: //p"; }
msibuild "$stage/package.msi" -s "$(summary Subject)" "$(summary Author)" "$(summary Template)" \
    "{$package_code}"
mv "$stage/package.msi" "$out"
rm -rf "$stage"
