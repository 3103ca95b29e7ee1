#!/bin/sh
# Runs a Windows test program under Wine. The first call of a run starts a wineserver that
# outlives the program, and Wine's own session processes, all with their output detached:
# otherwise they would hold the test runner's output pipe, and each run would end only when
# they lingered out.
if wineserver -p60 </dev/null >/dev/null 2>&1; then
  wine cmd.exe /c exit </dev/null >/dev/null 2>&1
fi
exec wine "$@"
