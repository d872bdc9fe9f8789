# Sourced by the scripts: which build runs under Wine on this machine.
# The shipped program is 32-bit. Some kernels cannot execute 32-bit x86 code at all (Wine's
# 32-bit loader fails with "Exec format error"); there the same sources are also built as
# 64-bit Windows programs and the tests and the demo run those under the 64-bit Wine loader.

native_i386() {
    [ -z "${USBPHONE_FORCE_X64:-}" ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

# The preset whose programs run here.
run_preset() {
    if native_i386; then echo default; else echo x64; fi
}

# The presets to build: always the shipped one, plus the one that runs here.
build_presets() {
    echo default
    [ "$(run_preset)" = default ] || echo x64
}

run_build_dir() {
    if [ "$(run_preset)" = default ]; then echo build; else echo build-x64; fi
}

wine_loader() {
    if [ "$(run_preset)" = default ]; then echo wine; else echo /usr/lib/wine/wine64; fi
}
