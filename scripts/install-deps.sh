#!/usr/bin/env bash
# Installs every Debian package that building, running and testing needs.
# Idempotent: packages already present are left as they are.
set -euo pipefail

# What differs between the releases (Debian 12 bookworm, Debian 13 trixie).
# Liberation Mono 2: Debian 12 has it in fonts-liberation2 (its
# fonts-liberation is the older 1.x), Debian 13 in fonts-liberation, with
# fonts-liberation2 only a transitional name. DOSBox-X is packaged from
# Debian 13 on; the tests that run it skip themselves where it is missing.
codename="$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")"
case "$codename" in
  bookworm) release_packages=(fonts-liberation2) ;;
  *) release_packages=(fonts-liberation dosbox-x) ;;
esac

packages=(
  "${release_packages[@]}"
  build-essential cmake pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  libcups2-dev libfontconfig-dev libfreetype-dev
  libgtk-3-dev libx11-dev libxinerama-dev
  libharfbuzz-dev libdeflate-dev qpdf
  cups cups-client cups-bsd printer-driver-cups-pdf
  xvfb xauth x11-utils openbox
  poppler-utils
  fonts-dejavu-core fonts-urw-base35
  python3 python3-fonttools
  dbus dbus-daemon python3-dbus python3-gi
  locales procps
  strace
  clang libclang-rt-dev
  dosbox nasm
  g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64 googletest dpkg-dev
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine64
  dpkg-dev lintian nsis desktop-file-utils libglib2.0-bin
  icoutils x11-apps
  debootstrap iproute2
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

# Locales with a decimal comma, for the tests of locale-dependent number text.
wanted_locales=(nl_NL.UTF-8 de_DE.UTF-8)
locales_missing=0
for l in "${wanted_locales[@]}"; do
  locale -a 2>/dev/null | grep -qix "${l%.UTF-8}.utf8" || locales_missing=1
done
if [ "$locales_missing" -eq 1 ] && [ -f /etc/locale.gen ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  for l in "${wanted_locales[@]}"; do
    if grep -q "^# *$l UTF-8" /etc/locale.gen; then
      $SUDO sed -i "s/^# *\($l UTF-8\)/\1/" /etc/locale.gen
    elif ! grep -q "^$l UTF-8" /etc/locale.gen; then
      echo "$l UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    fi
  done
  $SUDO locale-gen
fi
