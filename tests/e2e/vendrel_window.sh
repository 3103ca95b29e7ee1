#!/usr/bin/env bash
# The progress window's own behaviour in the real program, against a server that accepts
# connections and never answers (so the window stays up): dragging anywhere moves it, Enter and
# Escape end the updater at once (exit code 1: the update is not done), and a command line without its required options shows no
# window at all.
# Usage: vendrel_window.sh <Vendrel>
vendrel=$1
. "$(dirname "$0")/lib/frame.sh"

port=$(free_port)
start_silent_server "$port"
server=${pids[-1]}

start_vendrel_once() {
  "$vendrel" -name Stalled -number 1.0 -prog "$work/prog" -down "$work/down" \
    -http "http://127.0.0.1:$port/stalled" 2>"$work/vendrel.err" &
  vendrel_pid=$!
  pids+=("$vendrel_pid")
  geometry=
  for _ in $(seq 600); do  # generous: a sanitizer build on a busy machine starts slowly
    geometry=$(window_geometry Vendrel) && return 0
    kill -0 "$vendrel_pid" 2>/dev/null || break
    sleep 0.1
  done
  local code=0
  wait "$vendrel_pid" || code=$?
  vendrel_pid=
  echo "# Vendrel ended before its window was seen (code $code); stalling server alive: $(kill -0 "$server" 2>/dev/null && echo yes || echo no); its output:"
  sed 's/^/#   /' "$work/vendrel.err"
  return 1
}

# A start that ends before its window is seen says why above; it gets one more try, so a
# passing moment of the shared display does not decide the keys' behaviour below.
start_vendrel() {
  start_vendrel_once || start_vendrel_once
}

# The worker alone could not end the run this soon: the server never answers, and its connect
# and stall time-outs are 15 and 30 seconds.
# end_with_key <key>: sets rc to the exit code and ms to how long the program took to go.
end_with_key() {
  xdotool windowfocus "$(window_id Vendrel)" 2>/dev/null
  sleep 0.2
  local t0
  t0=$(date +%s%N)
  xdotool key "$1" 2>/dev/null
  rc=0
  wait "$vendrel_pid" || rc=$?
  vendrel_pid=
  ms=$(( ($(date +%s%N) - t0) / 1000000 ))
}

check "the window appears while the server stalls" start_vendrel
read -r x y _ _ <<<"${geometry:-0 0 0 0}"
xdotool mousemove $((x + 300)) $((y + 60)) mousedown 1 sleep 0.2 \
  mousemove $((x + 340)) $((y + 80)) sleep 0.2 mousemove $((x + 380)) $((y + 100)) sleep 0.2 mouseup 1
moved_by() {
  read -r nx ny _ _ <<<"$(window_geometry Vendrel)"
  [ $((nx - x)) = "$1" ] && [ $((ny - y)) = "$2" ]
}
wait_until 5 moved_by 80 40
check "dragging the bar area moves the window by the pointer's way (80,40; got $((nx - x)),$((ny - y)))" \
  test $((nx - x)) = 80 -a $((ny - y)) = 40
end_with_key Escape
check "Escape ends the updater at once with cancel (code $rc after $ms ms)" test "$rc" = 1 -a "$ms" -lt 5000

check "the window appears again" start_vendrel
end_with_key Return
check "Enter ends the updater at once, unfinished, so not with 0 (code $rc after $ms ms)" test "$rc" = 1 -a "$ms" -lt 5000

"$vendrel" -number 1.2.3 -reboot 2>/dev/null &
incomplete=$!
pids+=("$incomplete")
shown=0
for _ in $(seq 100); do
  [ -n "$(window_id Vendrel)" ] && shown=1
  kill -0 "$incomplete" 2>/dev/null || break
  sleep 0.1
done
check "without -name, -prog, -down and -http no window shows" test "$shown" = 0
check "and the program ends by itself" bash -c "! kill -0 $incomplete 2>/dev/null"
wait "$incomplete"
finish
