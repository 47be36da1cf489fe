#!/usr/bin/env bash
# test-dist.sh BUILD WIN_BUILD DIST
#
# Checks the release packages that `make deb` and `make dist` wrote into DIST
# from the build folders BUILD (Linux) and WIN_BUILD (Windows), as a musician
# would meet them. Needs root: it installs the Debian package on this machine
# (and removes it again, also when a check fails).
#   1. One version: qvt, the package and the archive names agree.
#   2. The package installs where Ardour's default plug-in search finds it, as
#      Ardour itself tells: its scanner indexes the installed plug-in and its
#      plug-in list, with the default search path, shows it (run as an ordinary
#      user, as a musician runs a host), and lilv's default search finds the
#      LV2 plug-in; `dpkg -r` then removes every file.
#   3. The tarball's install script installs (the LV2 bundle too) into a
#      temporary home folder, keeps the user's own banks, and uninstalls; the
#      same with --prefix.
#   4. `make install` and `make uninstall` with PREFIX and DESTDIR.
#   5. The tarball and the zip hold what README.md says they hold.
set -euo pipefail

build=$1 win=$2 dist=$3
source=$(cd "$(dirname "$0")/.." && pwd)
version=$(cat "$build/version.txt")
deb=$dist/quivertone_${version}_amd64.deb
tarball=$dist/quivertone-$version-linux-x86_64.tar.gz

if [ "$(id -u)" -ne 0 ]; then
  echo "test-dist: run as root: it installs and removes the Debian package" >&2
  exit 1
fi
"$source/scripts/install-deps.sh" --dist

work=$(mktemp -d)
chmod 755 "$work"
installed=0
cleanup() {
  [ $installed -eq 0 ] || dpkg -r quivertone >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
check() { # check DESCRIPTION COMMAND...
  local description=$1
  shift
  if "$@"; then echo "ok   $description"; else echo "FAIL $description"; failures=$((failures + 1)); fi
}
# dpkg waits for no one: another apt or dpkg run holds the lock for a while.
dpkg_retry() {
  local attempt output
  for attempt in $(seq 60); do
    if output=$(dpkg "$@" 2>&1); then return 0; fi
    grep -q "lock" <<<"$output" || { echo "$output" >&2; return 1; }
    sleep 5
  done
  echo "$output" >&2
  return 1
}
# The files of a tree, relative to it, sorted.
tree_files() { (cd "$1" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort); }
# The files README.md lists after the line "The <archive> holds", '\' read as '/'.
readme_list() {
  awk -v start="The $1 holds" '
    index($0, start) { on = 1; next }
    on && /^- / { item = 1 }
    on && item && /^$/ { exit }
    on && item { while (match($0, /`[^`]*`/)) { print substr($0, RSTART + 1, RLENGTH - 2); $0 = substr($0, RSTART + RLENGTH) } }
  ' "$source/README.md" | tr '\\' / | LC_ALL=C sort
}
same_list() { diff <(echo "$1") <(echo "$2") >&2; }

echo "== one version: $version"
check "qvt --version names it" test "$("$build/qvt" --version)" = "qvt $version"
check "the package's Version field is it" test "$(dpkg-deb -f "$deb" Version)" = "$version"
check "the tarball is named after it" test -f "$tarball"

echo "== the Debian package and Ardour"
if dpkg-query -W -f='${Status}' quivertone 2>/dev/null | grep -q "ok installed"; then
  echo "removing the quivertone package installed before"
  dpkg_retry -r quivertone
fi
mapfile -t paths < <(dpkg-deb -c "$deb" | awk '{ print substr($6, 2) }' | sed 's|/$||' | grep .)
new_paths=()
for path in "${paths[@]}"; do [ -e "$path" ] || [ -L "$path" ] || new_paths+=("$path"); done
dpkg_retry -i "$deb"
installed=1
plugin=/usr/lib/vst/Quivertone/Quivertone.so
check "the plug-in is installed as $plugin" test -f $plugin
check "the factory bank is installed beside it" cmp -s /usr/lib/vst/Quivertone/Banks/Factory.qvt \
  "$build/resources/bank/factory-bank.qvt"
check "the manual is in /usr/share/doc/quivertone/" test -s /usr/share/doc/quivertone/Help.html
check "lilv's default search finds the LV2 plug-in in /usr/lib/lv2/" \
  bash -c "env -u LV2_PATH HOME='$work' lv2ls | grep -qxF https://quivertone.org/lv2/quivertone"

ardour_files=$(dpkg -L ardour)
scanner=$(grep '/ardour-vst-scanner$' <<<"$ardour_files" | head -n 1)
lua=$(grep -E '^/usr/bin/ardour[0-9]+-lua$' <<<"$ardour_files" | head -n 1)
ardour_libs=$(dirname "$scanner")
echo "Ardour's built-in Linux VST path:" \
  "$(strings "$ardour_libs"/libardour.so.* | grep -E '^/[^ ]*lxvst[^ ]*:' | head -n 1 || true)"
home=$work/musician
mkdir "$home"
chown nobody:nogroup "$home"
as_musician() {
  (cd "$home" && setpriv --reuid=nobody --regid=nogroup --clear-groups \
     env -i HOME="$home" PATH=/usr/bin:/bin "$@")
}
as_musician env LD_LIBRARY_PATH="$ardour_libs" "$scanner" -f "$plugin" >"$work/scanner.log" 2>&1 || true
sed 's/^/  /' "$work/scanner.log" | grep -v "opcode" || true
check "ardour-vst-scanner indexes it as the instrument Quivertone" \
  grep -qs 'name="Quivertone".*is_instrument="1"' "$home"/.cache/ardour*/vst/*.v2i
check "loaded from the system folder, it keeps banks and patterns in ~/.local/share/Quivertone/" \
  test -d "$home/.local/share/Quivertone/Banks" -a -d "$home/.local/share/Quivertone/Patterns"
# A control: the same plug-in indexed in ~/.vst, outside Ardour's default path.
mkdir -p "$home/.vst/Elsewhere"
cp "$plugin" "$home/.vst/Elsewhere/Elsewhere.so"
chown -R nobody:nogroup "$home/.vst"
as_musician env LD_LIBRARY_PATH="$ardour_libs" "$scanner" -f "$home/.vst/Elsewhere/Elsewhere.so" >/dev/null 2>&1 || true
cat >"$work/list.lua" <<'LUA'
AudioEngine:set_backend("None (Dummy)", "", "")
AudioEngine:start(false)
for plugin in ARDOUR.LuaAPI.list_plugins():iter() do
  if plugin.type == ARDOUR.PluginType.LXVST then print("LXVST|" .. plugin.name .. "|" .. plugin.path) end
end
io.stdout:flush()
LUA
as_musician timeout 300 "$lua" "$work/list.lua" 2>/dev/null | grep '^LXVST' >"$work/ardour-list.txt" || true
sed 's/^LXVST|/  Ardour lists the Linux VST plug-in /' "$work/ardour-list.txt"
check "Ardour's plug-in list, with the default search path, has it" \
  grep -qxF "LXVST|Quivertone|$plugin" "$work/ardour-list.txt"
check "and not the copy in ~/.vst (the list follows the search path)" \
  bash -c "! grep -q Elsewhere '$work/ardour-list.txt'"

dpkg_retry -r quivertone
installed=0
left=()
for path in "${new_paths[@]}"; do [ -e "$path" ] || [ -L "$path" ] && left+=("$path"); done
check "dpkg -r removes every file and folder it installed (${#new_paths[@]})" test ${#left[@]} -eq 0
[ ${#left[@]} -eq 0 ] || printf '  left: %s\n' "${left[@]}"

echo "== the tarball's install script"
tar -xzf "$tarball" -C "$work"
unpacked=$work/quivertone-$version-linux-x86_64
check "the tarball holds what README.md lists" \
  same_list "$(tree_files "$unpacked")" "$(readme_list tarball)"
# What every way of installing puts into the plug-in folder, sorted.
plugin_files="Banks/Factory.qvt Help.html Quivertone.so images/about.png images/editor.png images/patedit.png"
home=$work/home
mkdir -p "$home"
HOME=$home "$unpacked/install.sh" >/dev/null
vst=$home/.vst/Quivertone
check "install.sh puts the plug-in, manual and factory bank into ~/.vst/Quivertone/" \
  same_list "$(tree_files "$vst")" "$(printf '%s\n' $plugin_files)"
check "the installed plug-in loads and names itself" \
  bash -c "HOME='$home' '$build/qvt' info '$vst/Quivertone.so' | grep -q Quivertone"
lv2_files="Help.html Quivertone.so images/about.png images/editor.png images/patedit.png manifest.ttl quivertone.ttl"
check "install.sh puts the LV2 bundle into ~/.lv2/Quivertone.lv2/" \
  same_list "$(tree_files "$home/.lv2/Quivertone.lv2")" "$(printf '%s\n' $lv2_files)"
echo mine >"$vst/Banks/Mine.qvt"
mkdir -p "$home/.lv2/Quivertone.lv2/Banks" && echo mine >"$home/.lv2/Quivertone.lv2/Banks/Mine.qvt"
HOME=$home "$unpacked/install.sh" >/dev/null
HOME=$home "$unpacked/install.sh" --uninstall >/dev/null
check "install.sh --uninstall removes its files and keeps the user's bank" \
  same_list "$(tree_files "$vst")" "Banks/Mine.qvt"
check "... in the LV2 bundle too" \
  same_list "$(tree_files "$home/.lv2/Quivertone.lv2")" "Banks/Mine.qvt"
"$unpacked/install.sh" --prefix "$work/usr-local" >/dev/null
check "install.sh --prefix DIR installs into DIR/lib/vst/Quivertone/" \
  test -f "$work/usr-local/lib/vst/Quivertone/Quivertone.so"
"$unpacked/install.sh" --prefix "$work/usr-local" --uninstall >/dev/null
check "and --uninstall leaves nothing there" test ! -e "$work/usr-local/lib/vst/Quivertone"

echo "== make install and make uninstall"
preset=$(basename "$build")
make -s -C "$source" PRESET="$preset" PREFIX=/usr/local DESTDIR="$work/stage" install >/dev/null
check "PREFIX=/usr/local DESTDIR=… installs into DESTDIR/usr/local/lib/vst/Quivertone/" \
  same_list "$(tree_files "$work/stage/usr/local/lib/vst/Quivertone")" \
            "$(printf '%s\n' $plugin_files)"
make -s -C "$source" PRESET="$preset" PREFIX=/usr/local DESTDIR="$work/stage" uninstall >/dev/null
check "make uninstall removes it again" test ! -e "$work/stage/usr/local/lib/vst/Quivertone"

echo "== the Windows zip"
if [ -f "$win/Quivertone.dll" ]; then
  win_version=$(cat "$win/version.txt")
  zip=$dist/quivertone-$win_version-win32.zip
  check "the zip is named after the DLL's version" test -f "$zip"
  check "the DLL's version resource holds $win_version" \
    bash -c "strings -el '$win/Quivertone.dll' | grep -qxF '$win_version'"
  check "the zip holds what README.md lists" \
    same_list "$(unzip -Z1 "$zip" | grep -v '/$' | LC_ALL=C sort)" "$(readme_list zip)"
else
  echo "skipped: no $win/Quivertone.dll (run \`make windows\`, then \`make dist\`)"
fi

if [ $failures -ne 0 ]; then
  echo "test-dist: $failures check(s) failed" >&2
  exit 1
fi
echo "test-dist: every check passed"
