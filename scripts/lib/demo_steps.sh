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
  cp "$work/keys/UpdateKeys.pub" "$2/UpdateKeys.pub"  # the lobby carries its trusted keys
  "$1/tools/publisher/zemba-publish" --name Quorvane --version "$4" --program "$2" --root "$3" \
    --sign "$work/keys/secret.key"
}

# make_keys <build>: the operator's signing key pair, in the demo's work folder.
make_keys() {
  mkdir -p "$work/keys"
  "$1/tools/publisher/zemba-publish" keygen --secret "$work/keys/secret.key" --public "$work/keys/UpdateKeys.pub"
}

# publish_demogame <build> <dir> <www> <version>
publish_demogame() {
  [ -d "$2" ] || stage_demogame "$1/tools/demogame/DemoGame" "$2"
  printf '演示游戏 %s\n' "$4" > "$2/readme.txt"
  "$1/tools/publisher/zemba-publish" --name DemoGame --version "$4" --program "$2" --root "$3" \
    --sign "$work/keys/secret.key"
}

# install_old_lobby <build> <program dir>: the lobby 1.0.1, before the sample movie came.
install_old_lobby() {
  cmake --install "$1" --prefix "$2" --strip >/dev/null || return 1
  sed -i -e "s#<UpdateUrl>.*</UpdateUrl>#<UpdateUrl>$NGINX_URL</UpdateUrl>#" "$2/Config.cfg"
  sed -i -e 's#<Software version="[^"]*"#<Software version="1.0.1"#' "$2/Update.cfg"
  cp "$work/keys/UpdateKeys.pub" "$2/UpdateKeys.pub"  # from now on only signed releases install
  rm -rf "$2/movie"
  cp -r "$root/resources/lobby/install/placeholder-movie" "$2/movie"
  # Built from the same sources as 1.0.2; a few bytes after the program (which it never reads)
  # tell the two apart, so the update can be seen to replace it.
  printf 'zemba-lobby-1.0.1' >> "$2/Quorvane"
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

# Where the sample movie puts things, in movie coordinates at its 800 x 600. Games are cards
# in the order of games.json, 126 pixels apart; a card's state badge sits after its title.
readonly ACCOUNT_FIELD="610 174" PASSWORD_FIELD="610 243" REFRESH_BUTTON="694 23"
readonly CARD_STEP=126 BADGE_BOX="50x16+186+240"

game_index() {
  case $1 in
    DemoGame) echo 0 ;;
    StarChess) echo 1 ;;
    *) return 1 ;;
  esac
}

# wait_screen <login|hall> [seconds]: the log-in form's orange button, or the hall's first card.
wait_screen() {
  local screen=$1 seconds=${2:-20} r g b
  for _ in $(seq $((seconds * 2))); do
    case $screen in
      login) read -r r g b <<<"$(movie_pixel 610 430)" ;;
      hall) read -r r g b <<<"$(movie_pixel 30 248)" ;;  # the 演 icon's orange
    esac
    [ -n "${r:-}" ] && [ "$r" -gt 180 ] && [ "$g" -gt 90 ] && [ "$g" -lt 190 ] && [ "$b" -lt 90 ] && return 0
    sleep 0.5
  done
  return 1
}

log_in() {
  # shellcheck disable=SC2086
  click_movie $ACCOUNT_FIELD && xdotool type --delay 30 "$1" &&
    click_movie $PASSWORD_FIELD && xdotool type --delay 30 "secret" && xdotool key Return
}

click_refresh() {
  # shellcheck disable=SC2086
  click_movie $REFRESH_BUTTON
}

# game_state <name>: current, outdated, missing, failed or busy, told by the colour of the
# brightest pixels of the game's state badge (its text).
game_state() {
  local i box
  i=$(game_index "$1") || return 1
  lobby_origin || return 1
  import -window root "$work/probe.png" 2>/dev/null || return 1
  IFS='x+' read -r w h bx by <<<"$BADGE_BOX"
  box="${w}x${h}+$((LOBBY_X + bx))+$((LOBBY_Y + 35 + by + CARD_STEP * i))"
  convert "$work/probe.png" -crop "$box" +repage txt:- 2>/dev/null |
    sed -n 's/^[0-9]*,[0-9]*: (\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p' |
    awk '{ print $1 + $2 + $3, $1, $2, $3 }' | sort -n -r | head -n 12 | awk '
      { r += $2; g += $3; b += $4; n++ }
      END {
        if (!n) exit 1
        r /= n; g /= n; b /= n
        split("current 69 196 138 outdated 242 181 68 missing 110 168 254 failed 239 100 97 busy 240 138 36", ref, " ")
        best = ""; bestd = 1e9
        for (k = 1; k <= 20; k += 4) {
          d = (r - ref[k+1])^2 + (g - ref[k+2])^2 + (b - ref[k+3])^2
          if (d < bestd) { bestd = d; best = ref[k] }
        }
        print best
      }'
}

# wait_game_state <name> <state> [seconds]
wait_game_state() {
  local seen=
  for _ in $(seq $((${3:-20} * 2))); do
    seen=$(game_state "$1")
    [ "$seen" = "$2" ] && return 0
    sleep 0.5
  done
  echo "   (the badge of $1 shows '$seen', not '$2')"
  return 1
}

# click_game_action <name>: the card's first button (安装, 更新 or 开始游戏). Alone it is centred
# on the card; with 开始游戏 below it (an update is offered) it sits higher.
click_game_action() {
  local i y=267
  i=$(game_index "$1") || return 1
  [ "$(game_state "$1")" = outdated ] && y=250
  click_movie 473 $((y + CARD_STEP * i))
}

# close_game: the demo game's 退出 button, at the bottom of its window.
close_game() {
  local gx gy gw gh
  read -r gx gy gw gh <<<"$(window_geometry DemoGame)" || return 1
  [ -n "${gh:-}" ] || return 1
  xdotool mousemove $((gx + gw / 2)) $((gy + gh - 30)) sleep 0.1 click 1
}
