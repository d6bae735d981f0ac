#!/usr/bin/env bash
# Runs a shell command as root in a whole Debian system of another release, made with
# debootstrap, with this tree at /src (read-only) and an unprivileged user "tester":
#   scripts/debian-root.sh [--fresh] RELEASE COMMAND     (RELEASE: bookworm, trixie, ...)
# The root is kept in the cache (scripts/common.sh), in debian-RELEASE, and brought up
# to date at each use, so it is made only once; that folder is the root's too, for what
# is built once for every release (Qt for Windows). With --fresh it is a new one, as a new
# machine is, with the one-line sources.list that Debian's installer writes, and it is
# gone afterwards. Nothing the command starts outlives it, and no mount is left behind.
# Needs root, and debootstrap (scripts/install-deps.sh --test installs it); the other
# scripts ask for root to run it.
set -euo pipefail
tree=$(cd "$(dirname "$0")/.." && pwd)
. "$tree/scripts/common.sh" "$@"
((EUID == 0)) || { echo "debian-root: debootstrap and chroot need root" >&2; exit 1; }
mirror=${PAIRON12_MIRROR:-http://deb.debian.org/debian}
fresh=false
[[ ${1:-} == --fresh ]] && { fresh=true; shift; }
(($# == 2)) || { echo "usage: debian-root.sh [--fresh] RELEASE COMMAND" >&2; exit 2; }
release=$1 command=$2

make_root() { # $1: where; the system a new machine of $release starts as
  local root=$1
  rm -rf "$root"
  echo "debian-root: making a Debian $release root in $root" >&2
  debootstrap --variant=minbase "$release" "$root" "$mirror" >"$root.log" 2>&1 ||
    { tail -n 20 "$root.log" >&2; exit 1; }
  rm -f "$root.log"
  # A root is no machine: the services its packages bring are not started in it.
  printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
  chmod 755 "$root/usr/sbin/policy-rc.d"
  chroot "$root" useradd --create-home --shell /bin/bash tester
  mkdir -p "$root/src"
}

if $fresh; then
  root=$(mktemp -d "${TMPDIR:-/tmp}/debian-$release.XXXXXX")
  trap 'rm -rf "$root"' EXIT
  trap 'exit 130' INT TERM
  make_root "$root"
else
  root=$cache/debian-$release
  mkdir -p "$cache"
  exec 9>"$cache/debian-$release.lock"
  flock 9
  if [[ ! -f $root/.pairon12-made ]]; then
    make_root "$root.new"
    # Kept current as a machine is: the point releases and the security updates too.
    printf 'deb %s %s-updates main\ndeb %s %s-security main\n' "$mirror" "$release" \
      "${mirror%/debian}/debian-security" "$release" >>"$root.new/etc/apt/sources.list"
    touch "$root.new/.pairon12-made"
    rm -rf "$root" && mv "$root.new" "$root"
  fi
  command="apt-get update -qq && apt-get dist-upgrade -y -qq >/dev/null && $command"
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"

# In namespaces of its own: the mounts are seen by nothing else and go with the last
# process, and every process the command leaves running is ended with it.
unshare --mount --pid --fork --propagation private bash -euc '
  root=$1 tree=$2 cache=$3 command=$4
  mount -t proc proc "$root/proc"
  mount --rbind /sys "$root/sys"
  mount --rbind /dev "$root/dev"
  mount -t tmpfs tmpfs "$root/tmp"
  mount --bind "$tree" "$root/src"
  mount -o remount,bind,ro "$root/src"
  # One cache for every release: Qt for Windows is built once for each toolchain.
  mkdir -p "$root/var/cache/pairon12"
  mount --bind "$cache" "$root/var/cache/pairon12"
  exec chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
    LANG=C.UTF-8 TERM=dumb DEBIAN_FRONTEND=noninteractive bash -euo pipefail -c "$command"
' debian-root "$root" "$tree" "$cache" "$command"
