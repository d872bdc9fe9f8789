# Sourced by the scripts: the build trees, and how their programs run on this machine.
#
#   build/      the shipped program: 32-bit (i686) Windows, run by Wine's 32-bit loader. The
#               tests and the demo run this one.
#   build-x64/  the same sources as 64-bit Windows programs, run by the 64-bit Wine loader.
#               Only built on request: the quick loop while developing on a machine that runs
#               32-bit code only through emulation (scripts/test.sh --x64), and the tree the
#               timed figures come from there (scripts/figures.sh).
#
# Some kernels execute no 32-bit x86 code at all (Wine's 32-bit loader fails with "Exec
# format error"). There scripts/i386.sh runs the 32-bit build through qemu-i386, registered
# for i386 ELF files in a binfmt_misc instance private to a user and mount namespace, so the
# rest of the machine is left as it is. scripts/setup.sh fetches that qemu.

# The qemu-i386 that scripts/setup.sh unpacks (a static build: it needs nothing else).
QEMU_I386="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/qemu/usr/bin/qemu-i386"
# Debian 12's own qemu (7.2) ignores the MAP_FIXED_NOREPLACE hint that Wine's 32-bit loader
# relies on: every 32-bit process then takes over a minute to start and wineboot fails.
QEMU_MIN_MAJOR=10

# True when 32-bit x86 Linux programs run here, natively or inside scripts/i386.sh.
i386_runs() {
    /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

# True when the 32-bit build is to run through qemu-i386 even where the kernel runs it
# (scripts/test.sh --qemu): the emulated path, tried on a machine of the other kind.
forced_qemu() {
    [ -n "${USBPHONE_FORCE_QEMU:-}" ]
}

# True when the kernel itself runs them and they are run so (decided before any namespace
# is entered).
native_i386() {
    [ "${USBPHONE_I386:-}" != qemu ] && ! forced_qemu && i386_runs
}

build_preset() {
    case "$1" in
        build) echo default ;;
        build-x64) echo x64 ;;
        *) echo "arch: unknown build tree '$1'" >&2; return 1 ;;
    esac
}

wine_loader() {
    case "$1" in
        build) echo wine ;;
        build-x64) echo /usr/lib/wine/wine64 ;;
        *) echo "arch: unknown build tree '$1'" >&2; return 1 ;;
    esac
}

# One line saying which build a script runs and how.
describe_build() {
    case "$1" in
        build)
            if native_i386; then
                echo "build/ (the shipped 32-bit program), Wine's 32-bit loader, natively"
            else
                local why="this kernel runs no 32-bit code"
                forced_qemu && why="forced with --qemu; this kernel runs 32-bit code itself"
                echo "build/ (the shipped 32-bit program), Wine's 32-bit loader through" \
                     "$(qemu_version) in a private namespace ($why)"
            fi
            ;;
        build-x64) echo "build-x64/ (the 64-bit test build), Wine's 64-bit loader, natively" ;;
    esac
}

qemu_version() {
    "${USBPHONE_QEMU:-$QEMU_I386}" --version 2>/dev/null | head -n 1
}

# Fails unless $QEMU_I386 is there and new enough; says why.
check_qemu() {
    if [ ! -x "$QEMU_I386" ]; then
        echo "arch: $QEMU_I386 is missing (scripts/setup.sh fetches it)" >&2
        return 1
    fi
    local version major
    version=$("$QEMU_I386" --version 2>&1 | head -n 1) || {
        echo "arch: $QEMU_I386 does not run: $version" >&2
        return 1
    }
    major=$(sed -n 's/^qemu-i386 version \([0-9]*\)\..*/\1/p' <<<"$version")
    if [ -z "$major" ] || [ "$major" -lt "$QEMU_MIN_MAJOR" ]; then
        echo "arch: $QEMU_I386 is '$version'; qemu $QEMU_MIN_MAJOR or later is needed" >&2
        return 1
    fi
}

# Called by a script with its build tree, its own path and its arguments: for the 32-bit
# build on a machine that runs no 32-bit code, runs the script again inside scripts/i386.sh
# (and does not return); otherwise returns at once.
reexec_where_build_runs() {
    local build=$1
    shift
    [ "$build" = build ] || return 0
    [ -z "${USBPHONE_I386:-}" ] || return 0
    if ! forced_qemu && i386_runs; then
        export USBPHONE_I386=native
        return 0
    fi
    export USBPHONE_SETUP_DONE=1
    exec scripts/i386.sh "$@"
}
