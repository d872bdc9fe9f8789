#!/usr/bin/env bash
# Signs a program, a DLL or a Windows Installer package in place with Authenticode (SHA-256),
# with osslsigncode and a key from outside the repository, named by the environment:
#
#   USBPHONE_SIGN_PKCS12          a PKCS#12 file: the key, its certificate and the chain
# or
#   USBPHONE_SIGN_PKCS11_MODULE   the PKCS#11 module of a hardware token
#                                 (e.g. /usr/lib/x86_64-linux-gnu/opensc-pkcs11.so)
#   USBPHONE_SIGN_PKCS11_KEY      the key on the token, as a pkcs11: URI
#   USBPHONE_SIGN_CERTS           the signing certificate and its chain (PEM), as the CA sent them
# and, for either:
#   USBPHONE_SIGN_PASSWORD_FILE   a file holding the PKCS#12 password or the token's PIN (read
#                                 by osslsigncode itself: it never appears on a command line)
#   USBPHONE_SIGN_TIMESTAMP_URL   an RFC 3161 time-stamp server, so that the signature stays
#                                 valid after the certificate expires
#
#   packaging/sign.sh <file>...
set -euo pipefail

if [ $# -eq 0 ]; then
    echo "usage: $0 <file>..." >&2
    exit 2
fi
key=()
if [ -n "${USBPHONE_SIGN_PKCS12:-}" ]; then
    key=(-pkcs12 "$USBPHONE_SIGN_PKCS12")
elif [ -n "${USBPHONE_SIGN_PKCS11_MODULE:-}" ]; then
    if [ -z "${USBPHONE_SIGN_PKCS11_KEY:-}" ] || [ -z "${USBPHONE_SIGN_CERTS:-}" ]; then
        echo "sign: USBPHONE_SIGN_PKCS11_MODULE needs USBPHONE_SIGN_PKCS11_KEY and USBPHONE_SIGN_CERTS" >&2
        exit 2
    fi
    key=(-pkcs11module "$USBPHONE_SIGN_PKCS11_MODULE" -key "$USBPHONE_SIGN_PKCS11_KEY"
         -certs "$USBPHONE_SIGN_CERTS")
else
    echo "sign: no key: set USBPHONE_SIGN_PKCS12 or USBPHONE_SIGN_PKCS11_MODULE" >&2
    exit 2
fi
[ -z "${USBPHONE_SIGN_PASSWORD_FILE:-}" ] || key+=(-readpass "$USBPHONE_SIGN_PASSWORD_FILE")
timestamp=()
[ -z "${USBPHONE_SIGN_TIMESTAMP_URL:-}" ] || timestamp=(-ts "$USBPHONE_SIGN_TIMESTAMP_URL")

for file in "$@"; do
    # The description is what Windows shows as the name of a signed package in its prompts.
    if ! osslsigncode sign "${key[@]}" -h sha256 -n "USB Phone Driver" "${timestamp[@]}" \
            -in "$file" -out "$file.signed" >"$file.sign.log" 2>&1; then
        cat "$file.sign.log" >&2
        rm -f "$file.signed"
        echo "sign: could not sign $file" >&2
        exit 1
    fi
    mv "$file.signed" "$file"
    rm -f "$file.sign.log"
done
