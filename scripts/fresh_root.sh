#!/usr/bin/env bash
# The README's two commands as a new user meets them: a minimal Debian 12 root
# (debootstrap --variant=minbase with git, ca-certificates and sudo, from this machine's
# mirror), this repository's current branch cloned inside it, then scripts/test.sh and
# scripts/demo.sh there. Prints the last lines of each and its wall time; the full output is
# kept in <folder>/root/usbphone-{test,demo}.log. Needs root.
#
#   scripts/fresh_root.sh [<folder>]     default /var/tmp/usbphone-fresh-root (wiped first)
#
# The root is entered as a container, not with chroot(8): a mount namespace of its own whose
# root is pivoted to the new system, with /proc, /sys and /dev (/dev/pts and /dev/shm with
# it) mounted. The kernel refuses user namespaces to a chrooted process, and scripts/i386.sh
# needs one where 32-bit code runs only through qemu. Only committed work is cloned.
set -euo pipefail
cd "$(dirname "$0")/.."

folder=${1:-/var/tmp/usbphone-fresh-root}
root="$folder/root"
branch=$(git rev-parse --abbrev-ref HEAD)
origin=$(cd "$(git rev-parse --git-common-dir)" && pwd)

if [ "$(id -u)" -ne 0 ]; then
    echo "fresh_root: needs root (debootstrap, mounts)" >&2
    exit 2
fi
if ! command -v debootstrap >/dev/null; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends debootstrap
fi
mirror=$(apt-cache policy 2>/dev/null |
         sed -n 's|^ *[0-9]* \([a-z+]*://[^ ]*\) bookworm/main .*|\1|p' | head -n 1)
mirror=${mirror:-http://deb.debian.org/debian}

rm -rf "$folder"
mkdir -p "$folder"
echo "fresh_root: debootstrap --variant=minbase bookworm from $mirror into $root"
started=$SECONDS
debootstrap --variant=minbase --include=git,ca-certificates,sudo bookworm "$root" "$mirror" \
    >"$folder/debootstrap.log" 2>&1 || { tail -n 20 "$folder/debootstrap.log"; exit 1; }
echo "fresh_root: root made in $((SECONDS - started)) s"
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
mkdir -p "$root/mnt/origin.git"

# Run inside the container: clone, then the README's commands as they are written there.
cat >"$root/root/fresh-run.sh" <<RUN
#!/bin/bash
set -u
cd /root
git clone -q --branch "$branch" /mnt/origin.git usbphone || exit 1
cd usbphone
echo "fresh_root: cloned \$(git log -1 --format='%h %s')"
for command in test demo; do
    start=\$(date +%s)
    scripts/\$command.sh </dev/null >/root/usbphone-\$command.log 2>&1
    code=\$?
    echo "fresh_root: scripts/\$command.sh exited \$code after \$(( \$(date +%s) - start )) s; its last lines:"
    tail -n 12 /root/usbphone-\$command.log | sed 's/^/    /'
    [ \$code -eq 0 ] || exit \$code
done
RUN
chmod +x "$root/root/fresh-run.sh"

unshare --mount --propagation private --fork -- bash -euc '
    root=$1
    origin=$2
    mount --bind "$root" "$root"
    mount --bind -o ro "$origin" "$root/mnt/origin.git"
    mount -t proc proc "$root/proc"
    mount --rbind /sys "$root/sys"
    mount --rbind /dev "$root/dev"
    mkdir -p "$root/.old-root"
    cd "$root"
    pivot_root . .old-root
    umount -l /.old-root
    rmdir /.old-root
    exec env -i HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin /root/fresh-run.sh
' fresh_root "$root" "$origin"
