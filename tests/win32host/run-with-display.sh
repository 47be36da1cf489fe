#!/bin/sh
# Runs the Windows editor tests under wine with a private Xvfb server as its
# display (wine makes no windows without one).
#   run-with-display.sh WINEPREFIX PROGRAM.exe [ARGUMENTS...]
prefix="$1"
shift
here="$(cd "$(dirname "$0")" && pwd)"
export QVT_WINE_DISPLAY=1
# Where 32-bit programs run under qemu's user-mode emulator (registered by
# install-windows-deps.sh), the tests' waits may take ten times as long.
if grep -qs '^enabled' /proc/sys/fs/binfmt_misc/qemu-i386; then
  export QVT_TEST_TIME_SCALE="${QVT_TEST_TIME_SCALE:-10}"
fi
exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp -noreset" \
  "$here/../../scripts/wine-run.sh" --prefix "$prefix" "$@"
