#!/usr/bin/env bash
# Installs what the release packages and their checks need, on top of
# install-deps.sh: dpkg-dev (dpkg-shlibdeps), lintian, zip and unzip, and
# Debian's ardour, whose plug-in scanner `make test-dist` asks to find the
# installed plug-in. Idempotent; without root rights it prints the line to run.
set -euo pipefail

"$(dirname "$0")/install-deps.sh"

PACKAGES=(dpkg-dev lintian zip unzip ardour)

missing=()
for package in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

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
