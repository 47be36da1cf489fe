#!/bin/sh
# Runs the Windows editor tests under wine with a private Xvfb server as its
# display (wine makes no windows without one).
#   run-with-display.sh WINEPREFIX PROGRAM.exe [ARGUMENTS...]
prefix="$1"
shift
here="$(cd "$(dirname "$0")" && pwd)"
export QVT_WINE_DISPLAY=1
exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp -noreset" \
  "$here/../../scripts/wine-run.sh" --prefix "$prefix" "$@"
