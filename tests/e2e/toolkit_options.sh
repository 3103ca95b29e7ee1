#!/usr/bin/env bash
# No argument value becomes a toolkit option, in any program of ours: a value like
# --gtk-module=<library> loads nothing, and --display=:55 (a display that does not exist) sends
# no window elsewhere; each program shows its window on the test's display as usual.
# Usage: toolkit_options.sh <build dir> <Vendrel> <DemoGame> <marker module>
build=$1 vendrel=$2 demogame=$3 marker=$4
. "$(dirname "$0")/lib/lobby_test.sh"

export ZEMBA_GTK_MARKER=$work/loaded.txt
module="--gtk-module=$marker"
loaded() { [ -s "$ZEMBA_GTK_MARKER" ]; }
# shows_window <title> <seconds> <command...>: starts the program, tells whether its window
# showed here in time, then ends it and waits until the window is gone.
shows_window() {
  local title=$1 seconds=$2 pid shown=0
  shift 2
  "$@" 2>>"$work/programs.err" &
  pid=$!
  pids+=("$pid")
  wait_window "$title" "$seconds" || shown=1
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  wait_no_window "$title" 10
  return "$shown"
}

# The demo game: its start values are its arguments.
for value in "$module" "--display=:55"; do
  rm -f "$work/report.txt"
  ZEMBA_DEMOGAME_REPORT=$work/report.txt "$demogame" -ip "$value" -uid "$value" --seconds 1 \
    2>"$work/demogame.err"
  code=$?
  check "the demo game runs with the start value $value (exit $code)" test "$code" = 0
  check "and shows it as a value" grep -qxF -- "arg $value" "$work/report.txt"
done
check "the demo game loaded no toolkit module" not loaded

# Vendrel: a program name and a version from the server are its arguments. The server accepts
# and never answers, so the window stays up.
port=$(free_port)
start_silent_server "$port"
for value in "$module" "--display=:55"; do
  check "Vendrel shows its window here with the value $value" shows_window Vendrel 20 \
    "$vendrel" -name "$value" -number "$value" -prog "$work/prog" -down "$work/down" -http "http://127.0.0.1:$port/x"
done
check "Vendrel loaded no toolkit module" not loaded

# Quorvane takes no arguments; any it is given are not looked at.
prog=$work/lobby
install_lobby "$build" "$prog" "http://127.0.0.1:9" || { echo "FAIL - install"; exit 1; }
for value in "$module" "--display=:55"; do
  check "Quorvane shows its window here with the argument $value" shows_window QuorvaneTest 30 "$prog/Quorvane" "$value"
done
check "Quorvane loaded no toolkit module" not loaded
finish
