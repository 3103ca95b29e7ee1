# The frame of every lobby whole-program test: the shared helpers, a skip without a display, a
# work folder of its own (profile, cache and data directories inside it), a cleanup that ends
# everything the test started from there, and checks that print "ok"/"FAIL" and are counted.
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
export WEBKIT_DISABLE_COMPOSITING_MODE=1
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

# install_test_browser: web pages "open in the user's browser"; here a handler that writes each
# address to "$work/opened.txt".
install_test_browser() {
  mkdir -p "$XDG_DATA_HOME/applications" "$XDG_CONFIG_HOME"
  cat >"$work/browser.sh" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$1" >> "$work/opened.txt"
SCRIPT
  chmod 755 "$work/browser.sh"
  cat >"$XDG_DATA_HOME/applications/test-browser.desktop" <<DESKTOP
[Desktop Entry]
Type=Application
Name=Test browser
Exec=$work/browser.sh %u
MimeType=x-scheme-handler/http;x-scheme-handler/https;
DESKTOP
  printf '[Default Applications]\nx-scheme-handler/http=test-browser.desktop\nx-scheme-handler/https=test-browser.desktop\n' \
  >"$XDG_CONFIG_HOME/mimeapps.list"
}

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
