#!/usr/bin/env bash
# A movie the lobby cannot show: a page file that is missing, and a page address in Config.cfg
# that is no local file. The lobby shows its own page, saying what is wrong and where it looked,
# and never fetches the address.
# Usage: quorvane_error_page.sh <build dir> <screenshot dir>
build=$1 shots=$2
. "$(dirname "$0")/lib/lobby_test.sh"
rm -rf "$shots" && mkdir -p "$shots"
prog=$work/prog
install_lobby "$build" "$prog" "http://127.0.0.1:$(free_port)" || { echo "FAIL - install"; exit 1; }
web_port=$(free_port)
start_silent_server "$web_port" "$work/web.count"

# red_share <png> <x> <y> <w> <h>: the share of the area drawn in the page's heading red.
red_share() {
  convert "$1" -crop "$4x$5+$2+$3" +repage -fuzz 20% -fill black -opaque white \
    -fill white -opaque '#b3261e' -fill black +opaque white -format '%[fx:mean]' info: 2>/dev/null
}

# shows_problem <Windows entry> <name>: starts the lobby on that entry and takes its picture.
shows_problem() {
  sed -i "s#<Windows\([^>]*\)>[^<]*</Windows>#<Windows\1>$1</Windows>#" "$prog/Config.cfg"
  "$prog/Quorvane" 2>"$work/$2.err" &
  local lobby=$!
  pids+=("$lobby")
  check "$2: the window shows" wait_window QuorvaneTest || sed 's/^/#   /' "$work/$2.err"
  read -r x y _ _ <<<"${GEOMETRY:-0 0 0 0}"
  sleep 3
  import -window root "$shots/$2.png"
  # The movie area starts 35 pixels down; the page's card is 560 wide, centred, 60 below its top.
  read -r r g b <<<"$(pixel "$shots/$2.png" $((x + 30)) $((y + 300)))"
  check "$2: the lobby's page fills the movie area (got $r,$g,$b)" test "$r" = 243 -a "$g" = 245 -a "$b" = 248
  read -r r g b <<<"$(pixel "$shots/$2.png" $((x + 400)) $((y + 35 + 70)))"
  check "$2: with its white card (got $r,$g,$b)" test "$r" = 255 -a "$g" = 255 -a "$b" = 255
  share=$(red_share "$shots/$2.png" $((x + 140)) $((y + 35 + 80)) 300 40)
  check "$2: and its red heading (share $share)" awk "BEGIN { exit !($share > 0.02) }"
  kill "$lobby" 2>/dev/null
  wait "$lobby" 2>/dev/null
}

shows_problem "movie/missing.html" missing
shows_problem "http://127.0.0.1:$web_port/index.html" web-address
check "the web address was never fetched" test "$(wc -l <"$work/web.count")" = 0
finish
