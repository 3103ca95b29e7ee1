#!/usr/bin/env bash
# The movie protocol through the real lobby: a scripted movie logs in, saves its account
# choices, checks, installs and checks a published game again (the real updater against nginx),
# and plays a recorder game; the window hides while the updater and the game run.
# Usage: quorvane_protocol.sh <build dir> <DemoGame> <zemba-publish> <recorder>
build=$1 demogame=$2 publish=$3 recorder=$4
. "$(dirname "$0")/lib/lobby_test.sh"

stage_demogame "$demogame" "$work/release/DemoGame"
"$publish" --name DemoGame --version 1.0.1 --program "$work/release/DemoGame" --root "$work/www" ||
  { echo "FAIL - publishing"; exit 1; }
start_nginx "$work/www" "$work/nginx" 400k || exit 1
start_movie_server "$work/empty" "$work/movie" || { echo "FAIL - movie server"; exit 1; }
pids+=("$MOVIE_PID")
prog=$work/prog
install_lobby "$build" "$prog" "$NGINX_URL" || { echo "FAIL - install"; exit 1; }
use_scripted_movie "$prog"

"$prog/Quorvane" 2>"$work/lobby.err" &
lobby=$!
pids+=("$lobby")
check "the lobby shows its movie" wait_log "^ready " 60

movie_do 'fscommand("LoginServer", "")'
check "LoginServer answers with the program directory" wait_log "^recv LoginServer \[\{\"MainPath\":\"$prog\"" 10
movie_do 'ExternalInterface.call("SaveServer", {UserName: "张三", SaveAccount: 1, NetMode: 2, LoginNode: 1})'
movie_do 'fscommand("LoginServer", "")'
check "SaveServer is remembered and read back" \
  wait_log '^recv LoginServer .*"UserName":"张三",.*"NetMode":2,"LoginNode":1,"SaveAccount":1' 10
check "the remembered values are in the profile" grep -q "^UserName=张三$" "$XDG_CONFIG_HOME/Zemba/Quorvane.ini"

movie_do 'ExternalInterface.call("CheckGame", {GameName: "DemoGame", GameParam: "first"})'
check "a game that is not installed checks as 3" \
  wait_log '^recv CheckGameResult \[\{"GameName":"DemoGame","Result":3,"GameParam":"first"\}\]' 10

movie_do 'ExternalInterface.call("UpdateGame", {GameName: "DemoGame", GameParam: {n: 7}})'
check "the lobby hides while the updater runs" wait_no_window QuorvaneTest 20
check "the updater's window shows" wait_window Vendrel 60
check "the lobby shows again after the update" wait_window QuorvaneTest 90
check "and the movie hears the update has ended" \
  wait_log '^recv UpdateGameResult \[\{"GameName":"DemoGame","Result":0,"GameParam":\{"n":7\},"Outcome":"installed"\}\]' 10
check "the game is installed as published" diff -r -x Update.cfg "$work/release/DemoGame" "$prog/DemoGame"
check "with the Update.cfg the release carries" cmp "$work/www/zemba/demogame/UpdateVersion.xml" "$prog/DemoGame/Update.cfg"
movie_do 'ExternalInterface.call("CheckGame", {GameName: "DemoGame", GameParam: "second"})'
check "the installed game checks as current" \
  wait_log '^recv CheckGameResult \[\{"GameName":"DemoGame","Result":0,"GameParam":"second"\}\]' 10

mkdir -p "$prog/Rec"
cp "$recorder" "$prog/Rec/Rec"
touch "$prog/Rec/Rec.hold"
movie_do 'ExternalInterface.call("PlayGame", {GameName: "Rec", GameParam: {GameIp: 16777343, GamePort: 36895,
  GameUid: "1001", GameKey: "k", GameMode: "2", GameChannel: "9", GameModex: "x"}})'
check "PlayGame sends LoginGame" wait_log '^recv LoginGame \[1\]$' 10
check "the lobby hides while the game runs" wait_no_window QuorvaneTest 10
for _ in $(seq 50); do [ -s "$prog/Rec/Rec.record" ] && break; sleep 0.1; done
check "the game runs in its directory with its arguments" \
  test "$(tr '\n' ' ' < "$prog/Rec/Rec.record")" = \
       "$prog/Rec Rec -ip 127.0.0.1 -port 8080 -uid 1001 -type 2 -key k -cid 9 -mode x "
check "no LogoutGame while the game runs" test "$(count_log '^recv LogoutGame')" = 0
rm -f "$prog/Rec/Rec.hold"
check "LogoutGame comes when the game has ended" wait_log '^recv LogoutGame \[1\]$' 10
check "and the lobby shows again" wait_window QuorvaneTest 10
kill "$lobby" 2>/dev/null
finish
