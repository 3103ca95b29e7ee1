# The frame of every whole-program test: the shared helpers, a skip without a display, a work
# folder of its own (profile, cache and data directories inside it), a cleanup that ends
# everything the test started (the processes in `pids` and any program run from the work
# folder), and checks that print "ok"/"FAIL" and are counted.
# Source it first; end the script with `finish`.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
. "$root/scripts/lib/update_server.sh"
. "$root/scripts/lib/lobby.sh"

if [ -z "${DISPLAY:-}" ]; then
  echo "no display: skipped"
  exit 77
fi

work=$(mktemp -d)
export XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache XDG_DATA_HOME=$work/data
pids=()
# True while a process the test started is still there.
any_left() {
  local p
  for p in "${pids[@]}"; do kill -0 "$p" 2>/dev/null && return 0; done
  pgrep -f "^$work/" >/dev/null
}
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  pkill -f "^$work/" 2>/dev/null
  # The lobby and the updater hold machine-wide locks until they are gone, and a sanitizer
  # build takes seconds to end: wait, so that the next test's lobby does not find them taken.
  for _ in $(seq 150); do any_left || break; sleep 0.1; done
  for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null; done
  pkill -9 -f "^$work/" 2>/dev/null
  stop_nginx
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
check() {  # check <description> <command...>; returns what the command returned
  local what=$1; shift
  if "$@"; then echo "ok   - $what"; return 0; fi
  echo "FAIL - $what"
  failures=$((failures + 1))
  return 1
}
not() { ! "$@"; }
# wait_until <seconds> <command...>: true as soon as the command is, false once the time is up.
wait_until() {
  local end=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.1
  done
}
finish() { exit $((failures > 0)); }

# start_silent_server <port> [<count file>]: a server on 127.0.0.1:<port> that takes every
# connection and never answers; each connection adds a line to the count file, which exists
# once the server listens. The server is one of the test's processes.
start_silent_server() {
  local count=${2:-$work/silent-server.count}
  rm -f "$count"
  python3 - "$1" "$count" <<'PY' &
import socket, sys
listener = socket.socket()
listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
listener.bind(("127.0.0.1", int(sys.argv[1])))
listener.listen(16)
open(sys.argv[2], "w").close()
held = []
while True:
    connection, _ = listener.accept()
    held.append(connection)
    with open(sys.argv[2], "a") as count:
        count.write("connection\n")
PY
  pids+=("$!")
  wait_until 10 test -e "$count"
}
