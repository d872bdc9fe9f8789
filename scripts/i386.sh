#!/usr/bin/env bash
# Runs a command where 32-bit x86 Linux programs (Wine's 32-bit loader among them) run:
# as it is where the kernel executes them; otherwise inside a user and mount namespace of
# its own, whose private binfmt_misc instance hands i386 ELF files to qemu-i386. Nothing is
# registered outside that namespace, so the rest of the machine sees no change.
#
#   scripts/i386.sh <command> [<argument>...]     for example: scripts/i386.sh wine cmd /c ver
#
# With USBPHONE_FORCE_QEMU set (scripts/test.sh --qemu), qemu runs them even where the kernel
# could: the emulated path, tried on a machine that runs 32-bit code.
#
# A missing or unusable qemu, or a kernel that refuses the namespace, is an error (exit 125),
# never a quiet switch to another build.
set -euo pipefail
source "$(dirname "$0")/arch.sh"

fail() {
    echo "i386: $*" >&2
    exit 125
}

if [ $# -eq 0 ]; then
    echo "usage: scripts/i386.sh <command> [<argument>...]" >&2
    exit 2
fi

if [ "$1" = --in-namespace ]; then
    shift
    # Linux gives each user namespace its own binfmt_misc instance (since 6.7); on older
    # kernels this mount is refused instead of touching the machine's registrations.
    [ -d /proc/sys/fs/binfmt_misc ] ||
        fail "/proc/sys/fs/binfmt_misc is missing (is /proc mounted, is binfmt_misc in the kernel?)"
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null ||
        fail "cannot mount a private binfmt_misc instance (Linux 6.7 or later is needed)"
    # qemu's own i386 pattern: 32-bit little-endian ELF executables and shared objects. Flag
    # F opens the interpreter now, so it is found from any root and mount namespace later.
    magic='\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\xfc\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    printf '%s' ":usbphone-i386:M::$magic:$mask:$QEMU_I386:F" \
        >/proc/sys/fs/binfmt_misc/register 2>/dev/null ||
        fail "registering $QEMU_I386 for i386 ELF files failed"
    i386_runs || fail "qemu-i386 is registered, yet /lib/ld-linux.so.2 does not run:" \
                      "$(/lib/ld-linux.so.2 --version 2>&1 | head -n 1)"
    # binfmt_misc is asked before the kernel's own ELF loader, so with the registration in
    # place even a kernel that runs 32-bit code hands these programs to qemu.
    grep -qx enabled /proc/sys/fs/binfmt_misc/usbphone-i386 ||
        fail "the qemu-i386 registration is not enabled"
    export USBPHONE_I386=qemu USBPHONE_QEMU="$QEMU_I386"
    exec "$@"
fi

if [ "${USBPHONE_I386:-}" = qemu ] || { ! forced_qemu && i386_runs; }; then
    exec "$@"
fi

check_qemu || exit 125
if ! probe=$(unshare --user --map-root-user --mount --fork true 2>&1); then
    # The kernel refuses new user namespaces inside a chroot (and where
    # user.max_user_namespaces is 0); a container or a real machine is fine.
    fail "cannot make a user namespace here ($probe); inside a chroot the kernel" \
         "refuses them: use a container (a mount namespace with pivot_root) instead"
fi
exec unshare --user --map-root-user --mount --fork -- "$BASH" "$0" --in-namespace "$@"
