#!/usr/bin/env bash
# The sample movie with the update server down, from an installed program directory: the hall
# shows 检查失败 for every installed game and the lobby stays usable; a second lobby changes
# nothing; closing asks the movie's own log-out question, Escape keeps the lobby, 退出 ends it.
# Usage: lobby_server_down.sh <build dir> <screenshot dir>
build=$1 shots=$2
. "$(dirname "$0")/lib/lobby_test.sh"
. "$root/scripts/lib/demo_steps.sh"
headless=1 title=QuorvaneTest prog=$work/prog
rm -rf "$shots" && mkdir -p "$shots"

port=$(free_port)
install_lobby "$build" "$prog" "http://127.0.0.1:$port" || { echo "FAIL - install"; exit 1; }
# Both games are installed, so the hall has to ask the (missing) server about them.
for game in DemoGame StarChess; do
  mkdir -p "$prog/$game"
  printf '<Update><Software version="1.0">%s</Software></Update>' "$game" > "$prog/$game/Update.cfg"
done

"$prog/Quorvane" 2>"$work/lobby.err" &
lobby=$!
check "the log-in shows although the server is down" wait_screen login 60
check "logging in with any account works" log_in 玩家
check "the hall shows" wait_screen hall 20
check "DemoGame shows 检查失败" wait_game_state DemoGame failed 20
check "StarChess shows 检查失败" wait_game_state StarChess failed 20
shots_n=0
shot() { shots_n=$((shots_n + 1)); import -window root "$shots/$shots_n-$1.png" 2>/dev/null; }
shot hall-server-down

id=$(window_id "$title")
timeout 20 "$prog/Quorvane" 2>/dev/null
check "a second lobby ends at once with code 0" test $? = 0
check "and the first lobby's window is untouched" test "$(window_id "$title")" = "$id"

# From now on the server's port takes connections and never answers, and counts them: the
# badges already say 检查失败, so only the server can tell that refreshing really asked again.
start_silent_server "$port" "$work/asked"
asked_at_least() { [ "$(wc -l <"$work/asked")" -ge "$1" ]; }
click_refresh
check "refreshing asks the server about both games again" wait_until 10 asked_at_least 2
check "a server that never answers also ends in 检查失败" wait_game_state DemoGame failed 20

# The log-out dialog's 退出 button, in movie coordinates; its 取消 has the focus.
confirm_shown() {
  local r g b
  read -r r g b <<<"$(movie_pixel 410 339)"
  [ -n "${r:-}" ] && [ "$r" -gt 180 ] && [ "$g" -gt 90 ] && [ "$b" -lt 90 ]
}
lobby_origin
xdotool mousemove $((LOBBY_X + 766 + 12)) $((LOBBY_Y + 5 + 12)) click 1
check "closing while logged in shows the movie's log-out question" wait_until 10 confirm_shown
shot close-asked
xdotool key Escape
check "Escape dismisses the question" wait_until 10 not confirm_shown
check "and the lobby stays" kill -0 "$lobby"
xdotool mousemove $((LOBBY_X + 766 + 12)) $((LOBBY_Y + 5 + 12)) click 1
check "closing asks again" wait_until 10 confirm_shown
click_movie 410 339
for _ in $(seq 100); do kill -0 "$lobby" 2>/dev/null || break; sleep 0.1; done
check "退出 ends the lobby" bash -c "! kill -0 $lobby 2>/dev/null"
finish
