#!/bin/sh
# Runs a Windows test program that opens real windows. Wine draws them on an X display, and a
# prefix's desktop process keeps the display it was started with, so these programs use a
# prefix of their own beside the shared one; without a display they get a private Xvfb. The
# prefix's processes are waited for before the program's exit code is returned, so none
# outlives its Xvfb.
if [ -z "$DISPLAY" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" "$@"
fi
WINEPREFIX="${WINEPREFIX:-$HOME/.wine}-display"
export WINEPREFIX
# The session's processes start with their output detached, so they never hold the test
# runner's pipe.
wineserver </dev/null >/dev/null 2>&1
wine cmd.exe /c exit </dev/null >/dev/null 2>&1
wine "$@"
code=$?
wineserver -w
exit $code
