#!/usr/bin/env bash
# Installs the Debian packages that building, testing and the tools need.
# Idempotent: only missing packages are installed. Without root rights it
# prints the apt-get line to run and stops. With --windows it goes on with
# what the Windows build and its tests under wine need (install-windows-deps.sh);
# with --dist it adds what the release packages and their checks need.
set -euo pipefail

if [ "${1:-}" = "--windows" ]; then
  "$0"
  exec "$(dirname "$0")/install-windows-deps.sh"
fi

PACKAGES=(
  build-essential cmake ninja-build pkg-config git python3
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev libpng-dev libfreetype-dev libfontconfig1-dev fonts-dejavu-core fonts-dejavu-extra
  libsndfile1-dev
  libx11-dev libxtst-dev libxrandr-dev xvfb xauth
  lv2-dev lilv-utils sordi
  clang libclang-rt-14-dev
)
# make deb, make dist, make test-dist: dpkg-shlibdeps, lintian, the archivers, and
# Debian's ardour, whose plug-in scanner and plug-in list test-dist asks.
if [ "${1:-}" = "--dist" ]; then
  PACKAGES+=(dpkg-dev lintian zip unzip ardour)
fi

missing=()
for package in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

command="apt-get install -y --no-install-recommends ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Run as root:  apt-get update && $command" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
$command
