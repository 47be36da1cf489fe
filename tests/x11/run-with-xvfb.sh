#!/bin/sh
# Runs the X11 tests on a private Xvfb server. Where Xvfb cannot start, the
# program runs without a display and its tests skip themselves.
program="$1"
shift
if command -v xvfb-run >/dev/null 2>&1 && xvfb-run -a true >/dev/null 2>&1; then
  exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp -noreset" "$program" "$@"
fi
echo "Xvfb cannot run here: the X11 tests skip"
unset DISPLAY
exec "$program" "$@"
