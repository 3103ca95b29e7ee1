#!/usr/bin/env bash
# The lobby's start-up, from an installed program directory: no display, a server that is down,
# a second lobby, a newer lobby on the server (with and without an updater to hand over to),
# and closing before log-in.
# Usage: quorvane_startup.sh <build dir>
build=$1
. "$(dirname "$0")/lib/lobby_test.sh"

start_movie_server "$work/www" "$work/movie" || { echo "FAIL - movie server"; exit 1; }
pids+=("$MOVIE_PID")
prog=$work/prog
install_lobby "$build" "$prog" "http://127.0.0.1:$(free_port)" || { echo "FAIL - install"; exit 1; }
use_scripted_movie "$prog"  # a movie that asks for no log-in by itself

# No display: one line on standard error, code 1, and nothing else (no lock left behind).
env -u DISPLAY -u WAYLAND_DISPLAY "$prog/Quorvane" >"$work/out" 2>"$work/err"
rc=$?
check "without a display the lobby ends with code 1 (got $rc)" test "$rc" = 1
check "and says so in one line on standard error" test "$(wc -l <"$work/err")" = 1

# The update server is down: the window still shows, 800 x 635, centred.
"$prog/Quorvane" 2>"$work/first.err" &
first=$!
pids+=("$first")
if ! check "with the update server down the window shows" wait_window QuorvaneTest; then
  echo "# the lobby is $(kill -0 "$first" 2>/dev/null && echo running || echo gone); its output:"
  sed 's/^/#   /' "$work/first.err"
fi
read -r x y w h <<<"${GEOMETRY:-0 0 0 0}"
read -r sw sh < <(xdotool getdisplaygeometry)
check "the window is 800 x 635 (got ${w}x${h})" test "$w" = 800 -a "$h" = 635
check "the window is centred (at $x,$y on ${sw}x${sh})" \
  test $((x - (sw - 800) / 2)) -ge -1 -a $((x - (sw - 800) / 2)) -le 1 -a \
       $((y - (sh - 635) / 2)) -ge -1 -a $((y - (sh - 635) / 2)) -le 1
id=$(window_id QuorvaneTest)

# A second lobby: gone at once with code 0, the first untouched.
timeout 20 "$prog/Quorvane" 2>/dev/null
rc=$?
check "a second lobby ends with code 0 (got $rc)" test "$rc" = 0
check "the first lobby's window is still the same one" test "$(window_id QuorvaneTest)" = "$id"
check "the first lobby still runs" kill -0 "$first"

# Dragging the title strip between the buttons moves the window.
xdotool mousemove $((x + 450)) $((y + 17)) mousedown 1 sleep 0.2 mousemove $((x + 490)) $((y + 37)) \
  sleep 0.2 mousemove $((x + 530)) $((y + 57)) sleep 0.2 mouseup 1
sleep 0.5
read -r nx ny _ _ <<<"$(window_geometry QuorvaneTest)"
check "dragging the title strip moves the window (80,40; got $((nx - x)),$((ny - y)))" \
  test $((nx - x)) = 80 -a $((ny - y)) = 40

# The close button before log-in ends the lobby.
xdotool mousemove $((nx + 766 + 12)) $((ny + 5 + 12)) click 1
for _ in $(seq 100); do kill -0 "$first" 2>/dev/null || break; sleep 0.1; done
check "the close button ends the lobby before log-in" bash -c "! kill -0 $first 2>/dev/null"
kill "$first" 2>/dev/null

# A newer lobby on the server: the updater is started with -reboot, and no window shows.
sed -i "s#<UpdateUrl>.*</UpdateUrl>#<UpdateUrl>$MOVIE_URL</UpdateUrl>#" "$prog/Config.cfg"
serve_version "$work/www" Zemba Quorvane 9.9.9
mv "$prog/Vendrel" "$prog/Vendrel.real"
cat >"$prog/Vendrel" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$@" > "$work/updater.args"
sleep 3
SCRIPT
chmod 755 "$prog/Vendrel"
seen=0
timeout 30 "$prog/Quorvane" 2>/dev/null &
lobby=$!
for _ in $(seq 100); do
  [ -n "$(window_id QuorvaneTest)" ] && seen=1
  kill -0 "$lobby" 2>/dev/null || break
  sleep 0.1
done
wait "$lobby"
rc=$?
check "with a newer lobby on the server the lobby ends with code 0 (got $rc)" test "$rc" = 0
check "and shows no window" test "$seen" = 0
for _ in $(seq 50); do [ -s "$work/updater.args" ] && break; sleep 0.1; done
check "the updater was started for Quorvane 9.9.9 with -reboot" \
  bash -c "tr '\n' ' ' < '$work/updater.args' | grep -q -- '-name Quorvane -number 9.9.9 -prog $prog .*-reboot'"

# The same, but the updater cannot be started: the lobby shows its window after all.
rm -f "$prog/Vendrel"
"$prog/Quorvane" 2>/dev/null &
lobby=$!
pids+=("$lobby")
check "a lobby whose updater cannot start shows its window instead" wait_window QuorvaneTest 30
kill "$lobby" 2>/dev/null
for _ in $(seq 50); do kill -0 "$lobby" 2>/dev/null || break; sleep 0.1; done

# A newer lobby is announced but its files are missing: the real updater fails, starts the
# lobby all the same and leaves its marker, and the lobby shows its window instead of handing
# over again. Every run of the updater is counted.
cat >"$prog/Vendrel" <<SCRIPT
#!/bin/sh
echo run >> "$work/vendrel.runs"
exec "$prog/Vendrel.real" "\$@"
SCRIPT
chmod 755 "$prog/Vendrel"
"$prog/Quorvane" 2>"$work/selfupdate.err" &
pids+=("$!")
if ! check "after a failed self-update the lobby's window shows" wait_window QuorvaneTest 40; then
  sed 's/^/#   /' "$work/selfupdate.err"
fi
sleep 3
check "the updater ran once (got $(wc -l <"$work/vendrel.runs" 2>/dev/null))" test "$(wc -l <"$work/vendrel.runs")" = 1
marker=$(ls "$work/data/Zemba/Vendrel/"selfupdate-*.txt 2>/dev/null | head -1)
check "the updater left its marker for 9.9.9 with the outcome failed" \
  bash -c "grep -qx 'version=9.9.9' '$marker' && grep -qx 'outcome=1' '$marker'"
check "the window is still there" test -n "$(window_id QuorvaneTest)"
# Every lobby and updater of this program directory ends first: one still ending would hold the
# single-instance lock, and the next lobby would leave at once without a window.
pkill -f "^$prog/" 2>/dev/null
for _ in $(seq 100); do pgrep -f "^$prog/" >/dev/null || break; sleep 0.1; done
pkill -9 -f "^$prog/" 2>/dev/null
for _ in $(seq 50); do [ -z "$(window_id QuorvaneTest)" ] && break; sleep 0.1; done
# The player starts the lobby again within the pause: the window, and no updater.
"$prog/Quorvane" 2>"$work/second.err" &
pids+=("$!")
if ! check "a second launch within the pause shows the window" wait_window QuorvaneTest 30; then
  pgrep -af "^$prog/" | sed 's/^/#   still running: /'
  sed 's/^/#   /' "$work/second.err"
fi
check "without starting the updater again" test "$(wc -l <"$work/vendrel.runs")" = 1
finish
