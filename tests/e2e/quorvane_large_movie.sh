#!/usr/bin/env bash
# A movie larger than the screen (1600 x 1200 on 1280 x 1024): the window keeps the movie's size
# and hangs past the left and bottom edges, with its close and minimise buttons on screen; a
# movie that fits is centred as before.
# Usage: quorvane_large_movie.sh <build dir> <screenshot dir>
build=$1 shots=$2
. "$(dirname "$0")/lib/own_screen.sh"
own_screen "1280x1024x24" "$0" "$@"
. "$(dirname "$0")/lib/lobby_test.sh"
rm -rf "$shots" && mkdir -p "$shots"

install_served_lobby
use_scripted_movie "$prog"

# run_lobby <width> <height> <shot>: starts the lobby with that movie size; sets x y w h.
run_lobby() {
  sed -i -E "s#<Windows width=\"[0-9]+\" height=\"[0-9]+\"#<Windows width=\"$1\" height=\"$2\"#" \
    "$prog/Config.cfg"
  "$prog/Quorvane" 2>"$work/lobby.err" &
  lobby=$!
  pids+=("$lobby")
  check "a $1 x $2 movie: the window shows" wait_window QuorvaneTest || sed 's/^/#   /' "$work/lobby.err"
  read -r x y w h <<<"${GEOMETRY:-0 0 0 0}"
  sleep 1
  import -window root "$shots/$3.png"
}

end_lobby() {
  kill "$lobby" 2>/dev/null
  for _ in $(seq 100); do kill -0 "$lobby" 2>/dev/null || break; sleep 0.1; done
}

run_lobby 1600 1200 large
check "the window keeps the movie's size (got ${w}x${h})" test "$w" = 1600 -a "$h" = 1235
close_x=$((x + 1600 - 34)) close_y=$((y + 5))
minimise_x=$((x + 1600 - 58))
check "the close button is on the screen (at $close_x,$close_y)" \
  test "$close_x" -ge 0 -a $((close_x + 24)) -le 1280 -a "$close_y" -ge 0 -a $((close_y + 24)) -le 1024
check "so is the minimise button (at $minimise_x,$close_y)" \
  test "$minimise_x" -ge 0 -a $((minimise_x + 24)) -le 1280
check "the window's right end is the screen's (at $((x + w)))" test $((x + w)) = 1280
check "its title strip is at the top (at $y)" test "$y" = 0
# The close button's cross is drawn there: white where its two strokes meet.
read -r r g b <<<"$(pixel "$shots/large.png" $((close_x + 12)) $((close_y + 12)))"
check "the close button is drawn where it is (white cross; got $r,$g,$b)" test "$r" -gt 200 -a "$g" -gt 200 -a "$b" -gt 200
xdotool mousemove $((close_x + 12)) $((close_y + 12)) click 1
for _ in $(seq 50); do kill -0 "$lobby" 2>/dev/null || break; sleep 0.1; done
check "and closes the lobby" bash -c "! kill -0 $lobby 2>/dev/null"
end_lobby

run_lobby 800 600 fits
check "a movie that fits is centred as before (at $x,$y)" test "$x" = 240 -a "$y" = 194
end_lobby
finish
