#!/bin/sh
# Installs Quivertone from this unpacked archive, or removes it again.
#
#   ./install.sh                 for you alone: ~/.vst/Quivertone/
#   sudo ./install.sh --system   for everyone:  /usr/local/lib/vst/Quivertone/
#   ./install.sh --prefix DIR    into DIR/lib/vst/Quivertone/
#   ./install.sh --uninstall [--system | --prefix DIR]
#
# An LV2 bundle in the archive goes into ~/.lv2/ (or PREFIX/lib/lv2/). Banks
# and patterns of your own are kept when installing over an older version and
# when uninstalling; only Banks/Factory.qvt is replaced or removed.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
prefix=
uninstall=0
while [ $# -gt 0 ]; do
  case $1 in
    --system) prefix=/usr/local ;;
    --prefix) [ $# -ge 2 ] || { echo "install.sh: --prefix needs a folder" >&2; exit 2; }
              shift; prefix=$1 ;;
    --uninstall) uninstall=1 ;;
    -h|--help) sed -n '2,12s/^# \{0,1\}//p' "$0"; exit 0 ;;
    *) echo "install.sh: unknown option '$1' (try --help)" >&2; exit 2 ;;
  esac
  shift
done

if [ -n "$prefix" ]; then
  vst=$prefix/lib/vst/Quivertone
  lv2=$prefix/lib/lv2
else
  [ -n "${HOME:-}" ] || { echo "install.sh: HOME is not set" >&2; exit 1; }
  vst=$HOME/.vst/Quivertone
  lv2=$HOME/.lv2
fi

if [ $uninstall -eq 1 ]; then
  rm -f "$vst/Quivertone.so" "$vst/Help.html" "$vst/Banks/Factory.qvt" \
    "$vst/images/editor.png" "$vst/images/patedit.png" "$vst/images/about.png"
  bundle=$lv2/Quivertone.lv2
  rm -f "$bundle/Quivertone.so" "$bundle/manifest.ttl" "$bundle/quivertone.ttl" "$bundle/Help.html" \
    "$bundle/images/editor.png" "$bundle/images/patedit.png" "$bundle/images/about.png"
  for folder in "$vst/Banks" "$vst/Patterns" "$vst/images" "$vst" \
    "$bundle/Banks" "$bundle/Patterns" "$bundle/images" "$bundle"; do
    rmdir "$folder" 2>/dev/null || true
  done
  [ -d "$vst" ] && echo "Removed Quivertone; your files in $vst stay." ||
    echo "Removed Quivertone from $vst"
  exit 0
fi

mkdir -p "$vst/Banks" "$vst/Patterns" "$vst/images"
cp "$here/Quivertone/Quivertone.so" "$here/Quivertone/Help.html" "$vst/"
cp "$here"/Quivertone/images/*.png "$vst/images/"
cp "$here/Quivertone/Banks/Factory.qvt" "$vst/Banks/"
chmod 644 "$vst/Quivertone.so" "$vst/Help.html" "$vst"/images/*.png "$vst/Banks/Factory.qvt"
if [ -d "$here/Quivertone.lv2" ]; then
  # Copied over any earlier one: banks and patterns kept in the bundle stay.
  mkdir -p "$lv2/Quivertone.lv2"
  cp -R "$here/Quivertone.lv2/." "$lv2/Quivertone.lv2/"
fi
echo "Installed Quivertone into $vst"
case $vst in
  /usr/lib/vst/*|/usr/local/lib/vst/*) ;;
  *) echo "Hosts that do not search ${vst%/Quivertone} need it added to their VST search path." ;;
esac
