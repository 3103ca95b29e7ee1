#!/usr/bin/env bash
# The lobby window with its movie, from an installed program directory: the notice while the
# player is missing and the movie once it is put in place, right click, Enter and Escape, the
# title-strip pages and links opened outside, closing while logged in, and a window that stays
# alive while a version check stalls.
# Usage: quorvane_window.sh <build dir> <screenshot dir>
build=$1 shots=$2
. "$(dirname "$0")/lib/lobby_test.sh"
rm -rf "$shots" && mkdir -p "$shots"

# Web pages "open in the user's browser": here a handler that writes down each address.
install_test_browser
opened() { grep -qxF -- "$1" "$work/opened.txt" 2>/dev/null; }
wait_opened() {
  for _ in $(seq 50); do opened "$1" && return 0; sleep 0.1; done
  return 1
}

install_served_lobby
use_scripted_movie "$prog"

# The player missing: the notice, then the movie once the module is put in place.
mv "$prog/libquorvane-player.so" "$work/player.so"
"$prog/Quorvane" 2>"$work/lobby.err" &
lobby=$!
pids+=("$lobby")
check "the window shows without the player" wait_window QuorvaneTest || sed 's/^/#   /' "$work/lobby.err"
read -r x y _ _ <<<"${GEOMETRY:-0 0 0 0}"
sleep 0.5
import -window root "$shots/notice.png"
# The notice panel (PNG 138) sits at (210, 203) of the window; its download button at (355, 323).
read -r r g b <<<"$(pixel "$shots/notice.png" $((x + 230)) $((y + 380)))"
check "the notice panel is drawn (dark blue; got $r,$g,$b)" test "$b" -gt "$r" -a "$b" -gt 60
read -r r g b <<<"$(pixel "$shots/notice.png" $((x + 355 + 10)) $((y + 323 + 18)))"
check "its download button is drawn (green; got $r,$g,$b)" test "$g" -gt "$r" -a "$g" -gt "$b"
cp "$work/player.so" "$prog/libquorvane-player.so"
check "the movie appears once the player is there" wait_log "^ready " 8
sleep 0.5
import -window root "$shots/movie.png"
read -r r g b <<<"$(pixel "$shots/movie.png" $((x + 400)) $((y + 300)))"
check "the movie fills the movie area (green; got $r,$g,$b)" test "$r" -lt 40 -a "$g" -gt 200 -a "$b" -lt 40
read -r r g b <<<"$(pixel "$shots/movie.png" $((x + 400)) $((y + 36)))"
check "the movie starts right below the title strip" test "$g" -gt 200
read -r r g b <<<"$(pixel "$shots/movie.png" $((x + 400)) $((y + 33)))"
check "and leaves the title strip alone" test "$g" -lt 200

# A right click: exactly one message, no menu over the movie.
xdotool mousemove $((x + 300)) $((y + 300)) click 3
sleep 1
import -window root "$shots/right-click.png"
check "a right click sends one RightClick (got $(count_log '^recv RightClick'))" test "$(count_log '^recv RightClick')" = 1
read -r r g b <<<"$(pixel "$shots/right-click.png" $((x + 330)) $((y + 320)))"
check "and opens no menu (got $r,$g,$b under the pointer)" test "$g" -gt 200 -a "$r" -lt 40

# Enter and Escape reach the movie and leave the lobby as it is.
xdotool windowfocus "$(window_id QuorvaneTest)" 2>/dev/null
xdotool key Return Escape
check "Enter reaches the movie" wait_log "^key Enter$" 5
check "Escape reaches the movie" wait_log "^key Escape$" 5
check "the lobby is still there" test -n "$(window_id QuorvaneTest)"

# The title-strip pages and a link the movie follows open outside; a file link nowhere.
xdotool mousemove $((x + 525 + 28)) $((y + 17)) click 1
check "the proposal button opens the configured page" wait_opened "http://www.zemba.com/proposal"
xdotool mousemove $((x + 586 + 28)) $((y + 17)) click 1
check "the service button opens the configured page" wait_opened "http://www.zemba.com/service"
movie_do 'fscommand("OpenWeb", "https://example.com/news?id=1")'
check "OpenWeb opens a web address outside" wait_opened "https://example.com/news?id=1"
movie_do 'location.href = "http://example.com/away"'
check "a web address the movie goes to opens outside" wait_opened "http://example.com/away"
movie_do 'fscommand("OpenWeb", "file:///etc/passwd"); log("after-file")'
wait_log "^after-file$" 5
sleep 0.5
check "a file address is never opened" bash -c "! grep -q '^file:' '$work/opened.txt'"
movie_do 'log("still " + location.href)'
check "the movie stays where it was" wait_log "^still quorvane://movie/index.html$" 5

# A version check that stalls leaves the window alive: it can be dragged and the movie runs.
serve_version "$work/www" Zemba Slow 1.0
touch "$work/www/zemba/slow/UpdateVersion.xml.stall"
mkdir -p "$prog/Slow" && cp "$work/www/zemba/slow/UpdateVersion.xml" "$prog/Slow/Update.cfg"
movie_do 'ExternalInterface.call("CheckGame", {GameName: "Slow", GameParam: 1}); log("asked")'
wait_log "^asked$" 5
read -r x y _ _ <<<"$(window_geometry QuorvaneTest)"
xdotool mousemove $((x + 450)) $((y + 17)) mousedown 1 sleep 0.2 mousemove $((x + 470)) $((y + 37)) \
  sleep 0.2 mousemove $((x + 490)) $((y + 57)) sleep 0.2 mouseup 1
movie_do 'log("alive")'
check "the movie runs while the check stalls" wait_log "^alive$" 3
check "no answer has come yet" test "$(count_log '^recv CheckGameResult')" = 0
read -r nx ny _ _ <<<"$(window_geometry QuorvaneTest)"
check "the window can be dragged while the check stalls (got $((nx - x)),$((ny - y)))" \
  test $((nx - x)) = 40 -a $((ny - y)) = 40
check "the stalled check is answered with 1 in the end" wait_log '^recv CheckGameResult \[\{"GameName":"Slow","Result":1' 20

# Closing while logged in asks the movie first; the movie's answer ends the lobby.
movie_do 'fscommand("LoginServer", "")'
wait_log "^recv LoginServer " 5
xdotool mousemove $((nx + 766 + 12)) $((ny + 5 + 12)) click 1
check "closing while logged in asks the movie to log out" wait_log "^recv LogoutServer " 5
sleep 0.5
check "and the window stays until it answers" kill -0 "$lobby"
movie_do 'fscommand("LogoutServer", "")'
for _ in $(seq 50); do kill -0 "$lobby" 2>/dev/null || break; sleep 0.1; done
check "the movie's LogoutServer ends the lobby" bash -c "! kill -0 $lobby 2>/dev/null"
finish
