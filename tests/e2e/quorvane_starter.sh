#!/usr/bin/env bash
# The starter page (movie-starter/, written from docs/movie.md alone) in the real lobby: log in,
# install a published game through the real updater, play it with the encoded address and port,
# and come back when it ends. The test clicks the page's own buttons.
# Usage: quorvane_starter.sh <build dir> <DemoGame> <zemba-publish>
build=$1 demogame=$2 publish=$3
. "$(dirname "$0")/lib/lobby_test.sh"

stage_demogame "$demogame" "$work/release/DemoGame"
"$publish" --name DemoGame --version 1.0.1 --program "$work/release/DemoGame" --root "$work/www" >/dev/null ||
  { echo "FAIL - publishing"; exit 1; }
start_nginx "$work/www" "$work/nginx" || exit 1
start_movie_server "$work/empty" "$work/movie" || { echo "FAIL - movie server"; exit 1; }
pids+=("$MOVIE_PID")
prog=$work/prog
install_lobby "$build" "$prog" "$NGINX_URL" "$root/movie-starter/index.html" || { echo "FAIL - install"; exit 1; }
# The page as shipped, with the test's driver after it.
{ printf '<script>\n'; sed "s#@PORT@#$MOVIE_PORT#" "$root/tests/e2e/movie/driver.js"; printf '</script>\n'; } \
  >> "$prog/testmovie/index.html"

export ZEMBA_DEMOGAME_REPORT=$work/game-report
"$prog/Quorvane" 2>"$work/lobby.err" &
lobby=$!
pids+=("$lobby")
check "the lobby plays the starter page" wait_log "^ready quorvane://movie/index.html" 60

movie_do 'document.getElementById("account").value = "小明"; click("#login-button")'
check "after logging in, the game that is not installed offers 安装" \
  wait_log '^state DemoGame=missing \| 欢迎，小明$' 20
movie_do 'click("#games li[data-name=DemoGame] button")'
check "installing says so" wait_log '^state DemoGame=busy \| 正在安装 演示游戏…$' 10
check "the updater's window shows" wait_window Vendrel 60
check "the lobby comes back" wait_window QuorvaneTest 120
check "and the game is current" wait_log '^state DemoGame=current \| 演示游戏：已安装$' 20
check "the game is installed as published" diff -r -x Update.cfg "$work/release/DemoGame" "$prog/DemoGame"
check "with the Update.cfg the release carries" cmp "$work/www/zemba/demogame/UpdateVersion.xml" "$prog/DemoGame/Update.cfg"

movie_do 'click("#games li[data-name=DemoGame] button")'
check "playing says so" wait_log '^state DemoGame=current \| 游戏中…$' 10
wait_until 20 test -s "$ZEMBA_DEMOGAME_REPORT"
check "the game gets the address and port the page names" \
  grep -qzP -- 'arg -ip\narg 127\.0\.0\.1\narg -port\narg 9100\narg -uid\narg 小明\n' "$ZEMBA_DEMOGAME_REPORT"
kill "$(sed -n "s/^pid //p" "$ZEMBA_DEMOGAME_REPORT")"
check "the end of the game is shown" wait_log '^state DemoGame=current \| 游戏已结束$' 20

# Closing the window while logged in: the page asks, and only 离开 ends the lobby.
close_lobby() {
  local x y w
  read -r x y w _ <<<"$(window_geometry QuorvaneTest)"
  xdotool mousemove $((x + w - 34 + 12)) $((y + 17)) click 1
}
dialog_is() {  # dialog_is <tag> <true|false>: the status line carries the dialog's state to the log
  movie_do "document.getElementById('status').textContent = '$1 ' + document.getElementById('leave').open"
  wait_log "^state DemoGame=current \\| $1 $2\$" 2
}
close_lobby
check "closing asks whether to leave" wait_until 10 dialog_is first true
check "and the lobby stays while it asks" kill -0 "$lobby"
movie_do 'click("#leave-no")'
check "留下 closes the question" wait_until 10 dialog_is stayed false
sleep 0.5
check "and it is still running" kill -0 "$lobby"
close_lobby
check "closing again asks again" wait_until 10 dialog_is second true
movie_do 'click("#leave-yes")'
check "离开 ends the lobby" wait_until 10 bash -c "! kill -0 $lobby 2>/dev/null"
kill "$lobby" 2>/dev/null
finish
