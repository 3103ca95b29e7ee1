#!/bin/sh
# Runs a Windows test program under Wine. A wineserver that outlives the program is started
# first, with its output detached: otherwise every run would end only when a fresh server
# lingered out, since the server would hold the test runner's output pipe.
set -e
wineserver -p30 </dev/null >/dev/null 2>&1 || true
exec wine "$@"
