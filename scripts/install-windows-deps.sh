#!/usr/bin/env bash
# Installs what the Windows build and its tests need, on top of install-deps.sh:
# the mingw-w64 i686 cross compiler and zlib, and wine with its 32-bit part
# (the i386 architecture is added to dpkg for it). Idempotent.
#
# Where the kernel cannot start 32-bit x86 programs itself (some virtual
# machines leave that out), 32-bit wine runs through qemu's user-mode
# emulator: qemu-user-static is installed and registered for 32-bit x86
# programs with binfmt_misc. Slow, but the tests pass the same way.
set -euo pipefail

CROSS_PACKAGES=(g++-mingw-w64-i686 libz-mingw-w64-dev binutils-mingw-w64-i686)
WINE_PACKAGES=(wine wine32:i386)

missing() {
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      echo "$package"
  done
}

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "Run as root to install: $*" >&2
    exit 1
  fi
}

export DEBIAN_FRONTEND=noninteractive
updated=0
install() {
  need_root "$@"
  if [ $updated -eq 0 ]; then
    apt-get update -q
    updated=1
  fi
  echo "Installing: $*"
  apt-get install -y --no-install-recommends "$@"
}

mapfile -t wanted < <(missing "${CROSS_PACKAGES[@]}")
[ ${#wanted[@]} -eq 0 ] || install "${wanted[@]}"

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  need_root "the i386 architecture"
  dpkg --add-architecture i386
  updated=0
fi
mapfile -t wanted < <(missing "${WINE_PACKAGES[@]}")
[ ${#wanted[@]} -eq 0 ] || install "${wanted[@]}"

# Can this machine start a 32-bit x86 program? wine32 brought the i386 loader.
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  mapfile -t wanted < <(missing qemu-user-static)
  [ ${#wanted[@]} -eq 0 ] || install "${wanted[@]}"
  need_root "the binfmt_misc entry for 32-bit x86 programs"
  binfmt=/proc/sys/fs/binfmt_misc
  [ -e $binfmt/register ] || mount -t binfmt_misc binfmt_misc $binfmt
  if [ ! -e $binfmt/qemu-i386 ]; then
    echo "Registering qemu-i386-static for 32-bit x86 programs (the kernel cannot start them)"
    echo ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
      >$binfmt/register
  fi
  /lib/ld-linux.so.2 --version >/dev/null 2>&1 || {
    echo "32-bit x86 programs still cannot start: wine32 cannot run here" >&2
    exit 1
  }
fi
