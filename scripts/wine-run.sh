#!/usr/bin/env bash
# Runs a Windows program under wine for the cross build's tests, with a wine
# prefix of its own (never the user's ~/.wine), no debug chatter and no display
# (unless QVT_WINE_DISPLAY is set).
#
#   scripts/wine-run.sh [--prefix FOLDER] PROGRAM.exe [ARGUMENTS...]
#
# The prefix defaults to $WINEPREFIX, else build/win32/wineprefix. It is made
# on first use (that takes a while).
set -euo pipefail

prefix="${WINEPREFIX:-$(cd "$(dirname "$0")/.." && pwd)/build/win32/wineprefix}"
if [ "${1:-}" = "--prefix" ]; then
  prefix="$2"
  shift 2
fi
mkdir -p "$prefix"
export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}" # no Mono or Gecko installer prompts
# No display unless asked for (QVT_WINE_DISPLAY=1: the editor's window tests under Xvfb).
if [ -z "${QVT_WINE_DISPLAY:-}" ]; then
  unset DISPLAY WAYLAND_DISPLAY
fi
# A new (or updated) prefix is set up first, and completely: a program started
# while wine still sets the prefix up may find it half made.
if [ ! -f "$prefix/system.reg" ] || [ ! -f "$prefix/.update-timestamp" ]; then
  wine wineboot --init >/dev/null 2>&1 || true
fi
wineserver --wait
exec wine "$@"
