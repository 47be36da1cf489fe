#!/usr/bin/env bash
# make-dist.sh BUILD WIN_BUILD DIST [LV2_BUNDLE]
#
# Writes the archives for musicians into DIST:
#   quivertone-VERSION-linux-x86_64.tar.gz from the Linux build folder BUILD:
#     the plug-in folder Quivertone/ (plug-in, manual with its pictures in images/,
#     Banks/Factory.qvt), the
#     LV2 bundle when one is given, README.md, LICENSE, THIRD-PARTY.md and
#     install.sh;
#   quivertone-VERSION-win32.zip from the Windows build folder WIN_BUILD, when
#     `make windows` has built Quivertone.dll there: the folder Quivertone\
#     (DLL, manual with its picture, Banks\Factory.qvt), README.md, LICENSE.txt, THIRD-PARTY.md.
# Each archive is named after the version of the build it comes from.
set -euo pipefail
umask 022

build=$1 win=$2 dist=$3 lv2=${4:-}
source=$(cd "$(dirname "$0")/.." && pwd)
epoch=$(git -C "$source" log -1 --format=%ct 2>/dev/null || date +%s)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$dist"
dist=$(cd "$dist" && pwd)

# plug-in-folder STAGE BUILD LIBRARY: the plug-in folder as the hosts get it.
plugin_folder() {
  install -d "$1/Quivertone/Banks" "$1/Quivertone/images"
  install -m 644 "$2/$3" "$1/Quivertone/$3"
  install -m 644 "$source/docs/Help.html" "$1/Quivertone/Help.html"
  install -m 644 "$source"/docs/images/{editor,patedit,about}.png "$1/Quivertone/images/"
  install -m 644 "$2/resources/bank/factory-bank.qvt" "$1/Quivertone/Banks/Factory.qvt"
  install -m 644 "$source/README.md" "$1/README.md"
  install -m 644 "$source/docs/third-party.md" "$1/THIRD-PARTY.md"
}

version=$(cat "$build/version.txt")
name=quivertone-$version-linux-x86_64
stage=$work/$name
plugin_folder "$stage" "$build" Quivertone.so
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$stage/Quivertone/Quivertone.so"
install -m 644 "$source/LICENSE" "$stage/LICENSE"
install -m 755 "$source/packaging/install.sh" "$stage/install.sh"
[ -z "$lv2" ] || "$source/scripts/copy-lv2-bundle.sh" "$lv2" "$stage"
tar --sort=name --owner=0 --group=0 --numeric-owner --mtime="@$epoch" \
    -C "$work" -czf "$dist/$name.tar.gz" "$name"
echo "Built $dist/$name.tar.gz"

if [ -f "$win/Quivertone.dll" ]; then
  version=$(cat "$win/version.txt")
  name=quivertone-$version-win32
  stage=$work/$name
  plugin_folder "$stage" "$win" Quivertone.dll
  install -m 644 "$source/LICENSE" "$stage/LICENSE.txt"
  find "$stage" -exec touch -h -d "@$epoch" {} +
  rm -f "$dist/$name.zip"
  (cd "$stage" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | zip -X -q "$dist/$name.zip" -@)
  echo "Built $dist/$name.zip"
else
  echo "No $win/Quivertone.dll: run \`make windows\` first for the Windows zip"
fi
