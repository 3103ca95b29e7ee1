#!/usr/bin/env bash
# A hostile movie cannot hold or exhaust the lobby: a logo that is a pipe does not stall the
# start, an "OpenWeb" flood opens three pages, addresses with invisible or direction-changing
# characters open nothing, a page caught in an endless loop cannot keep the player from
# leaving, and a movie at the program directory's root is not played at all.
# Usage: quorvane_hostile.sh <build dir>
build=$1
. "$(dirname "$0")/lib/lobby_test.sh"

install_test_browser
opened_count() { [ -f "$work/opened.txt" ] && wc -l <"$work/opened.txt" || echo 0; }

install_served_lobby
use_scripted_movie "$prog"

# The logo is a pipe nobody writes to.
mkfifo "$work/logo.png"
sed -i "s#png=\"[^\"]*\"#png=\"$work/logo.png\"#" "$prog/Config.cfg"
"$prog/Quorvane" 2>"$work/lobby.err" &
lobby=$!
pids+=("$lobby")
check "a logo that is a pipe does not stall the start" wait_window QuorvaneTest 30
read -r x y _ _ <<<"${GEOMETRY:-0 0 0 0}"
check "the movie plays" wait_log "^ready quorvane://movie/index.html$" 10

movie_do 'for (let i = 0; i < 300; ++i) fscommand("OpenWeb", "http://example.com/flood" + i); log("flooded")'
wait_log "^flooded$" 5
sleep 1.5
check "300 OpenWeb calls open 3 pages (got $(opened_count))" test "$(opened_count)" = 3
sleep 2.5  # the two seconds of the limit have passed
movie_do 'for (const a of ["http://example.com/\u202Eexe.txt", "http://example.com/a\u00A0b",
    "http://example.com/\u3000", "http://example.com/%E2%80%AE", "http://example.com/%C2%A0",
    "http://example.com/%E3%80%80"]) fscommand("OpenWeb", a); log("spoofed")'
wait_log "^spoofed$" 5
sleep 1
check "addresses with hidden, space-like or direction characters open nothing (got $(opened_count))" \
  test "$(opened_count)" = 3

# Logged in, then the page hangs: the first close asks it, the one after five seconds ends.
movie_do 'fscommand("LoginServer", "")'
check "logged in" wait_log "^recv LoginServer " 5
movie_do 'log("hanging"); setTimeout(() => { for (;;) {} }, 200)'
wait_log "^hanging$" 5
sleep 1
xdotool mousemove $((x + 766 + 12)) $((y + 5 + 12)) click 1
sleep 1
check "the first close leaves the lobby open for the page to answer" kill -0 "$lobby"
sleep 5
xdotool mousemove $((x + 766 + 12)) $((y + 5 + 12)) click 1
for _ in $(seq 50); do kill -0 "$lobby" 2>/dev/null || break; sleep 0.1; done
check "a close after five seconds without an answer ends the lobby" bash -c "! kill -0 $lobby 2>/dev/null"
check "and says why" grep -q "did not answer LogoutServer" "$work/lobby.err"

# A movie at the program directory's root would open every file of the program to the page.
kill "$lobby" 2>/dev/null
wait_no_window QuorvaneTest 10
sed -i 's#png="[^"]*"#png=""#; s#>testmovie/index.html<#>index.html<#' "$prog/Config.cfg"
cp "$prog/testmovie/index.html" "$prog/index.html"
: >"$MOVIE_LOG"
"$prog/Quorvane" 2>"$work/root.err" &
lobby=$!
pids+=("$lobby")
check "the lobby starts" wait_window QuorvaneTest 30
sleep 3
check "a movie at the program directory's root is not played" not grep -q "^ready" "$MOVIE_LOG"
check "and a debug line says why" grep -q "below the program directory" "$work/root.err"
finish
