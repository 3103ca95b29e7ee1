# The steps of scripts/demo.sh: publishing, installing, and a user's clicks in the lobby window
# (real pointer and key events through xdotool). Source after update_server.sh; the demo sets
# work, shots, headless, prog, title and build.

shot_count=0

# step <what> <command...>: runs one step; a failure ends the demo and names the step.
step() {
  local what=$1; shift
  echo "-- $what"
  if ! "$@"; then
    echo "== The demo failed at step: $what"
    echo "   Everything it made is in $work (lobby output: $work/lobby.log)"
    exit 1
  fi
}

# shot <name>: a screenshot of the whole virtual screen, numbered in taking order.
shot() {
  [ "$headless" = 1 ] || return 0
  shot_count=$((shot_count + 1))
  import -window root "$(printf '%s/%02d-%s.png' "$shots" "$shot_count" "$1")" 2>/dev/null || true
}

demo_cleanup() {
  if [ "$headless" = 1 ]; then
    pkill -f "^$prog/" 2>/dev/null || true
  fi
  stop_nginx
}

# publish_lobby <build> <dir> <www> <version>: the lobby as the server offers it.
publish_lobby() {
  rm -rf "$2"
  cmake --install "$1" --prefix "$2" --strip >/dev/null || return 1
  sed -i "s#<UpdateUrl>.*</UpdateUrl>#<UpdateUrl>$NGINX_URL</UpdateUrl>#" "$2/Config.cfg"
  rm -f "$2/Quorvane.desktop"  # names its own place; each install writes its own
  "$1/tools/publisher/zemba-publish" --name Quorvane --version "$4" --program "$2" --root "$3"
}

# publish_demogame <build> <dir> <www> <version>
publish_demogame() {
  [ -d "$2" ] || stage_demogame "$1/tools/demogame/DemoGame" "$2"
  printf '演示游戏 %s\n' "$4" > "$2/readme.txt"
  "$1/tools/publisher/zemba-publish" --name DemoGame --version "$4" --program "$2" --root "$3"
}

# install_old_lobby <build> <program dir>: the lobby 1.0.1, before the sample movie came.
install_old_lobby() {
  cmake --install "$1" --prefix "$2" --strip >/dev/null || return 1
  sed -i -e "s#<UpdateUrl>.*</UpdateUrl>#<UpdateUrl>$NGINX_URL</UpdateUrl>#" "$2/Config.cfg"
  sed -i -e 's#version="[^"]*"#version="1.0.1"#' "$2/Update.cfg"
  rm -rf "$2/movie"
  cp -r "$root/resources/lobby/install/placeholder-movie" "$2/movie"
}

start_lobby() {
  "$1/Quorvane" >>"$work/lobby.log" 2>&1 &
}

wait_lobby_end() {
  while pgrep -f "^$prog/Quorvane" >/dev/null; do sleep 1; done
}

# The lobby window's top-left corner; the movie starts 35 pixels below it.
lobby_origin() {
  local g
  g=$(window_geometry "$title") || return 1
  read -r LOBBY_X LOBBY_Y _ _ <<<"$g"
}

# click_movie <x> <y>: a left click at movie coordinates.
click_movie() {
  lobby_origin || return 1
  xdotool mousemove $((LOBBY_X + $1)) $((LOBBY_Y + 35 + $2)) sleep 0.1 click 1
}

# movie_pixel <x> <y>: "r g b" at movie coordinates, from a fresh screenshot.
movie_pixel() {
  lobby_origin || return 1
  import -window root "$work/probe.png" 2>/dev/null || return 1
  pixel "$work/probe.png" $((LOBBY_X + $1)) $((LOBBY_Y + 35 + $2))
}
