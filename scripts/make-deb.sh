#!/usr/bin/env bash
# make-deb.sh BUILD DIST [LV2_BUNDLE]
#
# Packs the plug-in, its factory bank and its manual from the build folder
# BUILD into DIST/quivertone_VERSION_amd64.deb with dpkg-deb (no network), then
# checks the package with lintian, which must report no errors. The plug-in goes
# into /usr/lib/vst/Quivertone/ (an LV2 bundle, when one is given, into
# /usr/lib/lv2/), the manual into /usr/share/doc/quivertone/; Depends comes from
# dpkg-shlibdeps. VERSION is the build's (cmake/Version.cmake).
set -euo pipefail
umask 022

build=$1 dist=$2 lv2=${3:-}
source=$(cd "$(dirname "$0")/.." && pwd)
version=$(cat "$build/version.txt")
epoch=$(git -C "$source" log -1 --format=%ct 2>/dev/null || date +%s)
export SOURCE_DATE_EPOCH=$epoch

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
vst=$root/usr/lib/vst/Quivertone
doc=$root/usr/share/doc/quivertone

install -d "$vst/Banks" "$vst/images" "$doc" "$root/DEBIAN"
install -m 644 "$build/Quivertone.so" "$vst/Quivertone.so"
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$vst/Quivertone.so"
install -m 644 "$build/resources/bank/factory-bank.qvt" "$vst/Banks/Factory.qvt"
# The plug-in's help command opens Help.html beside it; the documentation
# folder links to it, so the manual stays even where /usr/share/doc is pruned.
install -m 644 "$source/docs/Help.html" "$vst/Help.html"
install -m 644 "$source"/docs/images/{editor,patedit,about}.png "$vst/images/"
ln -s ../../../lib/vst/Quivertone/Help.html "$doc/Help.html"
ln -s ../../../lib/vst/Quivertone/images "$doc/images"
install -m 644 "$source/docs/third-party.md" "$doc/third-party.md"
install -m 644 "$source/packaging/debian/copyright" "$doc/copyright"
sed -e "s/@VERSION@/$version/" -e "s/@BUILD@/${version##*.}/" \
    -e "s/@DATE@/$(date -R -u -d "@$epoch")/" "$source/packaging/debian/changelog.in" |
  gzip -9n >"$doc/changelog.gz"
if [ -n "$lv2" ]; then
  "$source/scripts/copy-lv2-bundle.sh" "$lv2" "$root/usr/lib/lv2"
  find "$root/usr/lib/lv2" -name '*.so' -exec strip --strip-unneeded {} +
fi

# dpkg-shlibdeps reads the package names from a debian/control beside it.
mkdir "$work/debian"
printf 'Source: quivertone\n\nPackage: quivertone\nArchitecture: amd64\n' >"$work/debian/control"
mapfile -t objects < <(cd "$work" && find root/usr/lib -name '*.so' | sort)
depends=$(cd "$work" && dpkg-shlibdeps -O "${objects[@]/#/-e}" | sed -n 's/^shlibs:Depends=//p')
[ -n "$depends" ] || { echo "make-deb: dpkg-shlibdeps found no dependencies" >&2; exit 1; }

size=$(du -sk --apparent-size "$root/usr" | cut -f1)
sed -e "s/@VERSION@/$version/" -e "s/@INSTALLED_SIZE@/$size/" -e "s/@DEPENDS@/$depends/" \
    "$source/packaging/debian/control.in" >"$root/DEBIAN/control"
(cd "$root" && find usr -type f -print0 | sort -z | xargs -0 md5sum) >"$root/DEBIAN/md5sums"
chmod 644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"
find "$root" -exec touch -h -d "@$epoch" {} +

mkdir -p "$dist"
deb=$dist/quivertone_${version}_amd64.deb
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
echo "Built $deb"
echo "Depends: $depends"
echo "lintian $deb:"
lintian --fail-on error --display-level '>=info' "$deb" || {
  echo "make-deb: lintian reports errors" >&2
  exit 1
}
