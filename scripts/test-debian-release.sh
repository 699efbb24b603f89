#!/usr/bin/env bash
# A CI leg for another Debian release: a fresh system of RELEASE (trixie, say)
# made by debootstrap in DIR, the sources copied into /root/rizarode there,
# scripts/install-deps.sh run in it with the network, then offline the
# README's two commands and the Debian package's test, each timed.
#
# The system runs in namespaces of its own: its processes (the cupsd and Xvfb
# that the tests start) in a PID namespace, so that all of them end with it;
# its mounts (/proc, a minimal /dev with its own /dev/pts, /dev/shm, a tmpfs
# /tmp) in a mount namespace, so that none of them outlives it or is seen
# outside; offline in a network namespace with only loopback up, so that its
# scheduler and X server (whose abstract sockets are per network namespace)
# meet nobody else's. Nothing of the machine is bound into it.
#
# Usage (as root): scripts/test-debian-release.sh RELEASE [DIR]
# DIR must not exist; it is removed at the end (default: under /var/tmp),
# unless RIZARODE_KEEP_SYSTEM=1, which keeps it for a look or a rerun.
# RIZARODE_DEBIAN_MIRROR, RIZARODE_DEBIAN_SECURITY_MIRROR: the mirrors.
set -euo pipefail
[ $# -ge 1 ] && [ $# -le 2 ] || { echo "usage: $0 RELEASE [DIR]" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "$0: debootstrap, mounts and chroot need root" >&2; exit 1; }
release="$1"
src="$(cd "$(dirname "$0")/.." && pwd)"
mirror="${RIZARODE_DEBIAN_MIRROR:-http://deb.debian.org/debian}"
security="${RIZARODE_DEBIAN_SECURITY_MIRROR:-http://deb.debian.org/debian-security}"
if [ $# -eq 2 ]; then
  [ ! -e "$2" ] || { echo "$0: $2 exists; give a new directory" >&2; exit 2; }
  mkdir -p "$2"
  root="$(cd "$2" && pwd)"
else
  root="$(mktemp -d "/var/tmp/rizarode-$release.XXXXXX")"
fi
# The system's / as every system has it: mktemp's 0700 would keep all but
# root out of every file in it (apt's sandbox user, the tests' second user).
chmod 755 "$root"

leg_start=$(date +%s)
# The mounts live in the namespaces and end with them; the directory goes
# only when nothing is mounted under it (a leftover would be the machine's).
ns_pid=""
cleanup() {
  local status=$?
  # A leg stopped halfway ends the system's processes first: unshare waits
  # out SIGTERM, but when the first process of the PID namespace is killed,
  # every other one is.
  if [ -n "$ns_pid" ] && kill -0 "$ns_pid" 2>/dev/null; then
    pkill -KILL -P "$ns_pid" 2>/dev/null || true
    wait "$ns_pid" 2>/dev/null || true
  fi
  if [ "${RIZARODE_KEEP_SYSTEM:-0}" = 1 ]; then
    echo "test-debian-release: the system is kept in $root" >&2
  elif grep -qF " $root/" /proc/self/mountinfo; then
    echo "test-debian-release: mounts remain under $root; left in place" >&2
  else
    rm -rf --one-file-system "$root"
  fi
  echo "test-debian-release: $release leg took $(($(date +%s) - leg_start)) s (exit $status)" >&2
}
trap cleanup EXIT

step() { echo "== $release: $*" >&2; }

step "debootstrap into $root"
t0=$(date +%s)
debootstrap --variant=minbase "$release" "$root" "$mirror" >"$root.debootstrap.log" 2>&1 || {
  tail -20 "$root.debootstrap.log" >&2
  rm -f "$root.debootstrap.log"
  exit 1
}
rm -f "$root.debootstrap.log"
echo "debootstrap took $(($(date +%s) - t0)) s" >&2

# What an installed system has and debootstrap leaves out: the release's
# updates and security suites, and /etc/hosts. No service is started by a
# package's installation: it would run among the machine's.
case "$release" in
  sid | unstable) ;;
  *) printf 'deb %s %s main\ndeb %s %s-security main\n' \
       "$mirror" "$release-updates" "$security" "$release" >>"$root/etc/apt/sources.list" ;;
esac
printf '127.0.0.1\tlocalhost\n127.0.1.1\t%s\n::1\tlocalhost ip6-localhost ip6-loopback\n' \
  "$(hostname)" >"$root/etc/hosts"
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"
# A system thrown away at the end needs no fsync after each unpacked file.
echo force-unsafe-io >"$root/etc/dpkg/dpkg.cfg.d/rizarode-unsafe-io"

# The sources as the work tree has them, build directories left out (a file
# deleted but not yet committed is skipped).
mkdir "$root/root/rizarode"
git -C "$src" ls-files -z --cached --others --exclude-standard |
  (cd "$src" && tar --null -T - --ignore-failed-read -cf -) | tar -C "$root/root/rizarode" -xf -

# Runs each command in the system, timed; OFFLINE=1: in a network namespace
# of its own. All of them run; the status is that of the first that failed.
inside='
set -eu
root="$1" offline="$2"; shift 2
mount -t proc -o nosuid,nodev,noexec proc "$root/proc"
mount -t tmpfs -o mode=755,nosuid dev "$root/dev"
for dev in null:1:3 zero:1:5 full:1:7 random:1:8 urandom:1:9 tty:5:0; do
  IFS=: read -r name major minor <<<"$dev"
  mknod -m 666 "$root/dev/$name" c "$major" "$minor"
done
ln -s /proc/self/fd "$root/dev/fd"
ln -s /proc/self/fd/0 "$root/dev/stdin"
ln -s /proc/self/fd/1 "$root/dev/stdout"
ln -s /proc/self/fd/2 "$root/dev/stderr"
mkdir "$root/dev/pts" "$root/dev/shm"
mount -t devpts -o newinstance,ptmxmode=0666,mode=620,gid=5 devpts "$root/dev/pts"
ln -s pts/ptmx "$root/dev/ptmx"
mount -t tmpfs -o mode=1777,nosuid,nodev shm "$root/dev/shm"
# As on an installed Debian 13: /tmp is a tmpfs.
mount -t tmpfs -o mode=1777,nosuid,nodev tmp "$root/tmp"
if [ "$offline" = 1 ]; then ip link set lo up || exit 1; fi
status=0
for command in "$@"; do
  echo "-- $command" >&2
  t0=$(date +%s)
  code=0
  chroot "$root" /usr/bin/env -i HOME=/root USER=root LOGNAME=root SHELL=/bin/bash \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c "cd /root/rizarode && $command" </dev/null || code=$?
  echo "-- exit $code in $(($(date +%s) - t0)) s: $command" >&2
  [ "$status" -ne 0 ] || status=$code
done
exit "$status"
'
in_system() {
  local offline="$1"; shift
  local net=()
  [ "$offline" = 1 ] && net=(--net)
  unshare --mount --propagation private --pid --fork --kill-child "${net[@]}" \
    bash -c "$inside" inside "$root" "$offline" "$@" &
  ns_pid=$!
  local status=0
  wait "$ns_pid" || status=$?
  ns_pid=""
  return "$status"
}

step "system upgrade and scripts/install-deps.sh, with the network"
in_system 0 "apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get -y -qq dist-upgrade" \
  "bash scripts/install-deps.sh >/root/install-deps.log 2>&1 || { tail -40 /root/install-deps.log; exit 1; }"
step "the README's two commands and the package's test, offline"
# The test command first: the demo's build then finds everything built, with
# the same options, where the other order would build it all twice.
in_system 1 "bash scripts/install-deps.sh && bash scripts/test.sh" \
  "bash scripts/install-deps.sh && bash scripts/run-demo.sh" \
  "bash tests/package/deb_package_test.sh build-deb ."
