#!/usr/bin/env bash
# Signs copies of this build tree's program and custom action DLL with a throwaway CA and
# code-signing certificate made here and now (openssl), packs them into the package of this
# version and into the later build of the same version with the build's own packaging and
# signing scripts, signs those, and checks each signature with `osslsigncode verify` against
# that CA. The installer tests install these packages; signature_test checks them under
# Wine's own trust check.
#
#   signed_packages.sh <source dir> <build dir> <out dir> <version> <rebuild version> <comments>
#
# In <out dir>: usbphone.exe, setup_actions.dll and both packages signed; unsigned-usbphone.exe
# and unsigned-setup_actions.dll, the build's files without a signature; ca.cer, the CA (DER,
# for the Windows side); stranger.exe, the program signed by a certificate of another CA that
# is never trusted; tampered.exe and tampered.msi, signed files changed after signing.
set -euo pipefail
source=$1 build=$2 out=$3 version=$4 rebuild_version=$5 comments=$6

rm -rf "$out"
mkdir -p "$out/key"
key=$out/key
chmod 700 "$key"

cat >"$key/extensions.cnf" <<'CNF'
[ca]
basicConstraints = critical, CA:true
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[signer]
basicConstraints = critical, CA:false
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
CNF
# make_ca <name> <common name>: a self-signed CA, valid from now for two days.
make_ca() {
    openssl req -new -newkey rsa:2048 -nodes -keyout "$key/$1.key" -subj "/CN=$2" \
        -out "$key/$1.csr" 2>/dev/null
    openssl x509 -req -in "$key/$1.csr" -signkey "$key/$1.key" -days 2 \
        -extfile "$key/extensions.cnf" -extensions ca -out "$key/$1.pem" 2>/dev/null
}
# make_signer <name> <common name> <ca>: a code-signing certificate from that CA, as a
# PKCS#12 file with a random password in <name>.pass.
make_signer() {
    openssl req -new -newkey rsa:2048 -nodes -keyout "$key/$1.key" \
        -subj "/CN=$2/O=USB Phone Driver tests" -out "$key/$1.csr" 2>/dev/null
    openssl x509 -req -in "$key/$1.csr" -CA "$key/$3.pem" -CAkey "$key/$3.key" \
        -set_serial "0x$(openssl rand -hex 8)" -days 2 \
        -extfile "$key/extensions.cnf" -extensions signer -out "$key/$1.pem" 2>/dev/null
    openssl rand -hex 16 >"$key/$1.pass"
    openssl pkcs12 -export -inkey "$key/$1.key" -in "$key/$1.pem" -certfile "$key/$3.pem" \
        -passout "file:$key/$1.pass" -out "$key/$1.p12"
}
make_ca ca "USB Phone Driver Test CA"
make_signer signer "USB Phone Driver Test Signer" ca
make_ca stranger-ca "Untrusted Test CA"
make_signer stranger "Untrusted Test Signer" stranger-ca
openssl x509 -in "$key/ca.pem" -outform DER -out "$out/ca.cer"

# sign_with <name> <file>...: the build's signing script, with the key named as a maintainer
# names it.
sign_with() {
    local name=$1
    shift
    USBPHONE_SIGN_PKCS12="$key/$name.p12" USBPHONE_SIGN_PASSWORD_FILE="$key/$name.pass" \
        bash "$source/packaging/sign.sh" "$@"
}

# The build's program and DLL without a signature (a maintainer's build tree may be signed).
for file in usbphone.exe setup_actions.dll; do
    osslsigncode remove-signature -in "$build/bin/$file" -out "$out/unsigned-$file" \
        >/dev/null 2>&1 || cp "$build/bin/$file" "$out/unsigned-$file"
    cp "$out/unsigned-$file" "$out/$file"
done
cp "$out/unsigned-usbphone.exe" "$out/stranger.exe"
sign_with signer "$out/usbphone.exe" "$out/setup_actions.dll"
sign_with stranger "$out/stranger.exe"

# The packages from the signed program and DLL, then signed themselves, as the build does.
epoch=$(date +%s)
for v in "$version" "$rebuild_version"; do
    SOURCE_DATE_EPOCH=$epoch bash "$source/packaging/package.sh" "$out/usbphone-$v.msi" "$v" \
        "$comments" "$out/usbphone.exe" "$out/setup_actions.dll" "$source/src/res/icons/app.ico"
    sign_with signer "$out/usbphone-$v.msi"
done

# Every signature verifies against the test CA; the stranger's does not, and neither does a
# signed file changed afterwards (tampered.exe: one byte of the program; tampered.msi: the
# package's maker changed in its Property table): the check is no formality.
cp "$out/usbphone.exe" "$out/tampered.exe"
printf 'X' | dd of="$out/tampered.exe" bs=1 seek=1024 conv=notrunc 2>/dev/null
cp "$out/usbphone-$version.msi" "$out/tampered.msi"
msibuild "$out/tampered.msi" -q \
    "UPDATE \`Property\` SET \`Value\` = 'Someone Else' WHERE \`Property\` = 'Manufacturer'"
status=0
verify() {
    osslsigncode verify -CAfile "$key/ca.pem" -in "$1" >"$1.verify.txt" 2>&1
}
for file in usbphone.exe setup_actions.dll "usbphone-$version.msi" "usbphone-$rebuild_version.msi"; do
    if verify "$out/$file"; then
        echo "verified: $file"
    else
        echo "NOT verified: $file" >&2
        status=1
    fi
done
for file in stranger.exe tampered.exe tampered.msi; do
    if verify "$out/$file"; then
        echo "verified, but must not be: $file" >&2
        status=1
    else
        echo "refused as it should be: $file ($(grep -m1 -iE 'error|failed' "$out/$file.verify.txt" || true))"
    fi
done
# The README's check that a signed release was built from these sources: the program and the
# DLL without their signatures are this build's bytes; the package rebuilt from the signed
# program and the DLL taken out of it holds the same tables and streams, but the signature.
for file in usbphone.exe setup_actions.dll; do
    osslsigncode remove-signature -in "$out/$file" -out "$out/removed-$file" >/dev/null
    if cmp -s "$out/removed-$file" "$out/unsigned-$file"; then
        echo "signature removed: $file is this build's"
    else
        echo "signature removed, but $file differs from this build's" >&2
        status=1
    fi
done
msiinfo extract "$out/usbphone-$version.msi" Binary.SetupActions >"$out/extracted-actions.dll"
SOURCE_DATE_EPOCH=$epoch bash "$source/packaging/package.sh" "$out/rebuilt.msi" "$version" \
    "$comments" "$out/usbphone.exe" "$out/extracted-actions.dll" "$source/src/res/icons/app.ico"
mkdir "$out/dump-signed" "$out/dump-rebuilt"
msidump -t -s -d "$out/dump-signed" "$out/usbphone-$version.msi" >/dev/null
msidump -t -s -d "$out/dump-rebuilt" "$out/rebuilt.msi" >/dev/null
# Stream names begin with a control character: \005DigitalSignature, \005SummaryInformation.
if diff -r -x '*DigitalSignature' "$out/dump-signed" "$out/dump-rebuilt" >&2 &&
   compgen -G "$out/dump-signed/_Streams/*DigitalSignature" >/dev/null; then
    echo "package rebuilt from the signed program: the same tables and streams but the signature"
else
    echo "the package rebuilt from the signed program differs" >&2
    status=1
fi

echo "--- osslsigncode verify, usbphone.exe:"
cat "$out/usbphone.exe.verify.txt"
echo "--- osslsigncode verify, usbphone-$version.msi:"
cat "$out/usbphone-$version.msi.verify.txt"
exit $status
